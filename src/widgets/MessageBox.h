#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

// Every message the cashier sees goes through here: one modal box with a title, a text, an icon and
// one OK button, or a question with two buttons. Tests switch on recording, so boxes are written
// down (and questions answered from a queue) instead of opening a modal loop; with real loops on as
// well, each is also a real box in its own modal loop, answered from inside it. Either way each box
// is logged as one line "[title] text" under the category "cashier.messages" (info, on by default).
class MessageBox
{
public:
    enum Icon {
        NoIcon,
        Information,
        Warning,
        Critical,
        Question,
    };
    enum Answer {
        Accepted, // the first button ("OK", "更新", "是"...)
        Rejected, // the second button, or the box closed
    };

    static void critical(QWidget* parent, const QString& title, const QString& text);
    static void warning(QWidget* parent, const QString& title, const QString& text);
    static void information(QWidget* parent, const QString& title, const QString& text);

    // A question with two buttons; Accepted when the first is chosen. A box without parent can be
    // kept above the frameless stay-on-top windows.
    static Answer ask(QWidget* parent, Icon icon, const QString& title, const QString& text, const QString& acceptText,
                      const QString& rejectText, bool stayOnTop = false);
    // A question that no stray key answers: no default button, and neither Return, Enter, Space,
    // Escape nor the window's close button chooses; only a click, or a button's own Alt shortcut
    // ("是(&Y)"). For questions where a scanner's Return typed at the wrong moment would decide
    // about money.
    static Answer askWithoutDefault(QWidget* parent, Icon icon, const QString& title, const QString& text,
                                    const QString& acceptText, const QString& rejectText);

    // --- for tests ---
    struct Shown
    {
        Icon icon = NoIcon;
        QString title;
        QString text;
        QStringList buttons;
        QPointer<QWidget> parent;
        bool withoutDefault = false;
    };
    static void setRecording(bool recording);
    static bool isRecording();
    // The boxes shown since the last call, oldest first.
    static QList<Shown> takeShown();
    // Queues the answer of the next question (otherwise: Rejected).
    static void setNextAnswer(Answer answer);
    // While recording: each box is shown and runs its modal loop, as in the program, until its
    // recorded answer is clicked a moment later. Kept across setRecording().
    static void setRunLoops(bool runLoops);
    static bool runsLoops();
    // With real loops: called once, from inside the next box's loop, before it is answered; what
    // the program may receive while a box is open (an amount from the till, a reply) arrives here.
    static void setWhileOpen(std::function<void(const Shown&)> whileOpen);

private:
    static Answer present(QWidget* parent, Icon icon, const QString& title, const QString& text,
                          const QStringList& buttons, bool stayOnTop, bool withoutDefault = false);
};
