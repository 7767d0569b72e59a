#pragma once

#include <QString>

// What the collection keypad does, without the widgets: the amount display, the 50 ms key filter
// that drops scanner bursts, the addition with "+" and "=", and the checks before collecting.
//
// Key filter: every keypad character goes through feedKey(), which (re)starts the filter; the
// owner runs a 50 ms single-shot timer alongside and calls timerExpired() when it fires. Only a
// lone character is inserted then; two or more within the window are a burst and are dropped.
//
// Addition: "+" keeps the amount shown as the first addend; the next character typed starts the
// second amount on the display; "=" (or another "+") shows the exact sum with two decimals. After
// "=" the next character starts a new amount.
class KeypadModel
{
public:
    QString displayText() const { return m_display; }
    bool additionPending() const { return m_pendingOp; }
    bool filterRunning() const { return m_filterRunning; }

    // --- key filter ---
    void feedKey(QChar key);
    // The filter's time is up; true when the display changed.
    bool timerExpired();
    // A key pressed on the page itself (focus on a keypad button): never typed, it only spoils a
    // keypad character still waiting in the filter. The owner restarts its timer afterwards.
    void pageKey(const QString& text, bool isReturn);

    // --- keys ---
    void pressDigit(int digit);
    // False when the point is not fed (the amount already has one).
    bool pressPoint();
    void pressBackspace();
    void clear();
    void plus();
    void equals();

    // An amount from the point-of-sale program replaces whatever is shown.
    void setAmountText(const QString& text);

    enum class CollectCheck {
        Ignore,   // a key is still in the filter: this is the Return ending a scanner burst
        Empty,    // "请输入收款金额"
        Zero,     // "收款金额不能为0"
        Invalid,  // not an amount (possible for text from the serial port)
        TooLarge, // more than the exact money type holds
        Ok,
    };
    CollectCheck checkCollect() const;

    // Whether `text` is, or can still grow into, an amount the display accepts.
    static bool acceptable(const QString& text);

private:
    bool insert(QChar key);
    void resetAddition();

    QString m_display;
    bool m_pendingOp = false;
    bool m_startNewNumber = false;
    qint64 m_firstAddend = 0; // mills
    QString m_keyBuffer;
    QString m_lastKeyText;
    bool m_filterRunning = false;
};
