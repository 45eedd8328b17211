#include "MessageFrame.h"

#include <QStringDecoder>
#include <QtEndian>

namespace singleinstance::frame {

namespace {

constexpr char frameMagic[] = "MLSI";
constexpr char acknowledgementMagic[] = "MLOK";

} // namespace

std::optional<QByteArray> encode(const QString& message)
{
    const QByteArray payload = message.toUtf8();
    if (payload.size() > maxPayloadSize)
        return std::nullopt;

    QByteArray bytes;
    bytes.reserve(headerSize + payload.size());
    bytes.append(frameMagic, 4);
    char length[4];
    qToBigEndian(static_cast<quint32>(payload.size()), length);
    bytes.append(length, 4);
    bytes.append(payload);
    return bytes;
}

QByteArray acknowledgement()
{
    return QByteArray(acknowledgementMagic, acknowledgementSize);
}

qsizetype Decoder::bytesWanted() const
{
    if (m_state != State::Incomplete)
        return 0;
    if (m_payloadSize < 0)
        return headerSize - m_buffer.size();
    return headerSize + m_payloadSize - m_buffer.size();
}

Decoder::State Decoder::consume(QByteArrayView bytes)
{
    if (m_state != State::Incomplete)
        return m_state;
    m_buffer.append(bytes.first(qMin(bytes.size(), bytesWanted())));
    if (m_payloadSize < 0 && m_buffer.size() == headerSize)
        m_state = checkHeader();
    if (m_state == State::Incomplete && bytesWanted() == 0)
        m_state = finishPayload();
    return m_state;
}

Decoder::State Decoder::checkHeader()
{
    if (!m_buffer.startsWith(QByteArrayView(frameMagic, 4)))
        return State::Malformed;
    const quint32 announced = qFromBigEndian<quint32>(m_buffer.constData() + 4);
    if (announced > static_cast<quint32>(maxPayloadSize))
        return State::Malformed;
    m_payloadSize = static_cast<qsizetype>(announced);
    m_buffer.reserve(headerSize + m_payloadSize);
    return State::Incomplete;
}

Decoder::State Decoder::finishPayload()
{
    QStringDecoder toUtf16(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    m_message = toUtf16(QByteArrayView(m_buffer).sliced(headerSize));
    m_buffer.clear();
    return toUtf16.hasError() ? State::Malformed : State::Complete;
}

} // namespace singleinstance::frame
