#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// One message travels from a later start to the running instance as a frame:
// a 4-byte magic, the UTF-8 length as a 4-byte big-endian number, then the
// UTF-8 bytes. The running instance answers a well-formed frame with a fixed
// 4-byte acknowledgement.
namespace singleinstance::frame {

inline constexpr qsizetype headerSize = 8;
inline constexpr qsizetype maxPayloadSize = 64 * 1024;
inline constexpr qsizetype acknowledgementSize = 4;

// Empty when the message is longer than maxPayloadSize once encoded.
std::optional<QByteArray> encode(const QString& message);

QByteArray acknowledgement();

// Reassembles one frame from the bytes of a stream, asking only for as many
// bytes as the frame still needs, so that memory stays bounded by the cap.
class Decoder final
{
public:
    enum class State { Incomplete, Complete, Malformed };

    Decoder() = default;
    Q_DISABLE_COPY_MOVE(Decoder)

    // How many more bytes the frame needs; 0 once it is complete or malformed.
    qsizetype bytesWanted() const;
    // Takes at most bytesWanted() bytes.
    State consume(QByteArrayView bytes);
    State state() const { return m_state; }
    // The message of a complete frame.
    QString message() const { return m_message; }

private:
    State checkHeader();
    State finishPayload();

    QByteArray m_buffer;
    qsizetype m_payloadSize = -1;
    QString m_message;
    State m_state = State::Incomplete;
};

} // namespace singleinstance::frame
