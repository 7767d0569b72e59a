#include "core/SerialAmount.h"

QString extractSerialAmount(const QByteArray& chunk)
{
    const auto isAmountByte = [](char c) { return (c >= '0' && c <= '9') || c == '.'; };
    int end = chunk.size() - 1;
    // Skip what follows the last digit (terminators, trailing text).
    while (end >= 1 && !(chunk.at(end) >= '0' && chunk.at(end) <= '9'))
        --end;
    if (end < 1)
        return QString();
    int begin = end;
    while (begin - 1 >= 1 && isAmountByte(chunk.at(begin - 1)))
        --begin;
    return QString::fromLatin1(chunk.mid(begin, end - begin + 1));
}
