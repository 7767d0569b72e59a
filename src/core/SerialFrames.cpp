#include "core/SerialFrames.h"

#include "core/SerialAmount.h"
#include "core/SerialLog.h"

QStringList SerialFrames::feed(const QByteArray& bytes)
{
    QStringList amounts;
    for (const char c : bytes) {
        if (c == '\r' || c == '\n') {
            if (!m_dropping) {
                const QString amount = extractSerialAmount(m_frame);
                if (!amount.isEmpty())
                    amounts.append(amount);
            }
            m_frame.clear();
            m_dropping = false;
        } else if (c == '\x1b') {
            m_frame.clear();
            m_frame.append(c);
            m_dropping = false;
        } else if (!m_dropping) {
            m_frame.append(c);
            if (m_frame.size() > kMaxFrame) {
                qCInfo(lcSerial).noquote()
                    << "till sent more than" << kMaxFrame << "bytes without a line end: dropped up to the next frame";
                m_frame.clear();
                m_dropping = true;
            }
        }
    }
    return amounts;
}

void SerialFrames::reset()
{
    m_frame.clear();
    m_dropping = false;
}
