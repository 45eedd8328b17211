#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into a quit of the event loop, so that the
// launcher ends as if its window had been closed and saves its profiles. The
// handler only writes a byte to a socket pair; the event loop does the rest.
class TerminationSignals final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TerminationSignals)

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

private:
    void OnSignal();

    QSocketNotifier* m_notifier = nullptr;
};
