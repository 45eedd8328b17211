#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>

namespace singleinstance {

// Hands one encoded frame to the running instance listening at serverPath:
// connects (retrying while that instance may still be starting up), writes
// and waits for the acknowledgement, all before the deadline. Blocking, for
// a later start that has no event loop running.
bool deliverFrame(const QString& serverPath, const QByteArray& frame, const QDeadlineTimer& deadline);

} // namespace singleinstance
