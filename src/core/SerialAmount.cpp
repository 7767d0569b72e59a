#include "core/SerialAmount.h"

QString extractSerialAmount(const QByteArray& frame)
{
    const auto isAmountByte = [](char c) { return (c >= '0' && c <= '9') || c == '.'; };
    int end = frame.size() - 1;
    // Skip what follows the last digit (terminators, trailing text).
    while (end >= 1 && !(frame.at(end) >= '0' && frame.at(end) <= '9'))
        --end;
    if (end < 1)
        return QString();
    int begin = end;
    while (begin - 1 >= 1 && isAmountByte(frame.at(begin - 1)))
        --begin;
    return QString::fromLatin1(frame.mid(begin, end - begin + 1));
}
