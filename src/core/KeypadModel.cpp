#include "core/KeypadModel.h"

#include "core/Money.h"

#include <QRegularExpression>

namespace {
qint64 millsOf(const QString& text)
{
    const money::Mills parsed = money::parseYuan(text);
    return parsed.ok() ? parsed.value : 0;
}

QString formatSum(qint64 mills)
{
    return money::formatYuan(money::millsToFen(mills));
}
} // namespace

bool KeypadModel::acceptable(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\d+(\\.\\d+)?\\r?$"));
    if (text.isEmpty())
        return true;
    const QRegularExpressionMatch match = pattern.match(text, 0, QRegularExpression::PartialPreferCompleteMatch);
    return match.hasMatch() || match.hasPartialMatch();
}

void KeypadModel::feedKey(QChar key)
{
    if (!m_filterRunning)
        m_keyBuffer = key;
    else
        m_keyBuffer += key;
    m_filterRunning = true;
}

bool KeypadModel::timerExpired()
{
    m_filterRunning = false;
    const QString buffer = m_keyBuffer;
    m_keyBuffer.clear();
    return buffer.size() == 1 && insert(buffer.at(0));
}

void KeypadModel::pageKey(const QString& text, bool isReturn)
{
    if (m_filterRunning) {
        if (isReturn) {
            m_keyBuffer.clear();
        } else {
            if (m_keyBuffer.isEmpty())
                m_keyBuffer = m_lastKeyText;
            m_keyBuffer += text;
        }
    }
    m_lastKeyText = text;
    m_filterRunning = true;
}

bool KeypadModel::insert(QChar key)
{
    QString next;
    if (m_startNewNumber)
        next = key == QLatin1Char('.') ? QStringLiteral("0.") : QString(key);
    else
        next = m_display + key;
    if (!acceptable(next))
        return false;
    m_startNewNumber = false;
    m_display = next;
    return true;
}

void KeypadModel::pressDigit(int digit)
{
    if (digit >= 0 && digit <= 9)
        feedKey(QChar('0' + digit));
}

bool KeypadModel::pressPoint()
{
    // A second point in one amount is never fed; a point starting the second addend becomes "0.".
    if (!m_startNewNumber && m_display.contains(QLatin1Char('.')))
        return false;
    feedKey(QLatin1Char('.'));
    return true;
}

void KeypadModel::pressBackspace()
{
    if (m_display.isEmpty()) {
        m_pendingOp = false;
        return;
    }
    m_display.chop(1);
    // Editing drops a pending addition.
    resetAddition();
}

void KeypadModel::clear()
{
    m_display.clear();
    resetAddition();
}

void KeypadModel::resetAddition()
{
    m_pendingOp = false;
    m_startNewNumber = false;
    m_firstAddend = 0;
}

void KeypadModel::plus()
{
    if (m_display.isEmpty() || m_display == QLatin1String("0"))
        return;
    if (m_pendingOp && !m_startNewNumber) {
        const qint64 second = millsOf(m_display);
        if (m_firstAddend > 0 && second > 0)
            m_display = formatSum(m_firstAddend + second);
    }
    m_firstAddend = millsOf(m_display);
    m_pendingOp = true;
    m_startNewNumber = true;
}

void KeypadModel::equals()
{
    if (!m_pendingOp || m_startNewNumber)
        return;
    const qint64 second = millsOf(m_display);
    if (m_firstAddend <= 0 || second <= 0)
        return;
    m_display = formatSum(m_firstAddend + second);
    m_pendingOp = false;
    m_firstAddend = 0;
    m_startNewNumber = true;
}

void KeypadModel::setAmountText(const QString& text)
{
    m_display = text;
    resetAddition();
}

KeypadModel::CollectCheck KeypadModel::checkCollect() const
{
    if (!m_keyBuffer.isEmpty())
        return CollectCheck::Ignore;
    if (m_display.isEmpty())
        return CollectCheck::Empty;
    if (m_display == QLatin1String("0") || m_display == QLatin1String("0.00") || m_display == QLatin1String("0.0"))
        return CollectCheck::Zero;
    switch (money::parseYuan(m_display).status) {
    case money::ParseStatus::Ok:
        return CollectCheck::Ok;
    case money::ParseStatus::TooLarge:
        return CollectCheck::TooLarge;
    default:
        return CollectCheck::Invalid;
    }
}
