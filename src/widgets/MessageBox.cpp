#include "widgets/MessageBox.h"

#include "widgets/ModalLoop.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <utility>

// Each box as the cashier saw it, one line per box: what support reads back when a cashier says
// "it told me something". Boxes never carry what was typed into a password field.
Q_LOGGING_CATEGORY(lcMessages, "cashier.messages", QtInfoMsg)

namespace {
// Wide enough for a title of a few characters with the window manager's buttons beside it.
constexpr int kMinimumWidth = 240;
bool g_recording = false;
bool g_runLoops = false;
QList<MessageBox::Shown> g_shown;
QList<MessageBox::Answer> g_answers;
std::function<void(const MessageBox::Shown&)> g_whileOpen;
// Long enough for the box to be shown and the event loop to turn a few times under it.
constexpr int kTestAnswerDelayMs = 20;

QMessageBox::Icon toolkitIcon(MessageBox::Icon icon)
{
    switch (icon) {
    case MessageBox::Information:
        return QMessageBox::Information;
    case MessageBox::Warning:
        return QMessageBox::Warning;
    case MessageBox::Critical:
        return QMessageBox::Critical;
    case MessageBox::Question:
        return QMessageBox::Question;
    case MessageBox::NoIcon:
        break;
    }
    return QMessageBox::NoIcon;
}
// Keeps the keys that answer a box by default, and the window's close button, from answering it:
// only a click on one of its buttons does, or the shortcut a button's text gives it.
class WithoutDefault : public QObject
{
public:
    static void apply(QMessageBox& box)
    {
        box.setWindowFlags((box.windowFlags() | Qt::CustomizeWindowHint) & ~Qt::WindowCloseButtonHint);
        for (QAbstractButton* button : box.buttons()) {
            button->setFocusPolicy(Qt::NoFocus);
            if (auto* push = qobject_cast<QPushButton*>(button)) {
                push->setAutoDefault(false);
                push->setDefault(false);
            }
        }
        box.installEventFilter(new WithoutDefault(&box));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
            switch (static_cast<QKeyEvent*>(event)->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_Escape:
            case Qt::Key_Space:
                event->accept();
                return true;
            default:
                break;
            }
        }
        if (event->type() == QEvent::Close && watched == parent()) {
            // Alt+F4 or the window manager: closed unanswered would read as "no".
            if (!static_cast<QMessageBox*>(parent())->clickedButton()) {
                event->ignore();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    using QObject::QObject;
};
} // namespace

MessageBox::Answer MessageBox::present(QWidget* parent, Icon icon, const QString& title, const QString& text,
                                       const QStringList& buttons, bool stayOnTop, bool withoutDefault)
{
    QString oneLine = text;
    oneLine.replace(QLatin1Char('\n'), QLatin1Char(' '));
    qCInfo(lcMessages).noquote() << QStringLiteral("[%1] %2").arg(title, oneLine);
    Answer recordedAnswer = Accepted;
    if (g_recording) {
        g_shown.append(Shown{icon, title, text, buttons, parent, withoutDefault});
        if (buttons.size() > 1)
            recordedAnswer = g_answers.isEmpty() ? Rejected : g_answers.takeFirst();
        if (!g_runLoops)
            return recordedAnswer;
    }

    QMessageBox box(toolkitIcon(icon), title, text, QMessageBox::NoButton, parent);
    // Many texts carry the gateway's own words ("msg"): shown as they are, never as markup.
    box.setTextFormat(Qt::PlainText);
    if (stayOnTop)
        box.setWindowFlags(box.windowFlags() | Qt::WindowStaysOnTopHint);
    QPushButton* accept = box.addButton(buttons.value(0), QMessageBox::AcceptRole);
    QPushButton* reject = buttons.size() > 1 ? box.addButton(buttons.at(1), QMessageBox::RejectRole) : nullptr;
    if (withoutDefault)
        WithoutDefault::apply(box);
    else
        box.setDefaultButton(accept);
    // A short text ("操作成功") made the box too narrow for its own title bar, which the window
    // manager then cut to "温…示"; a floor on the width keeps the title whole.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(kMinimumWidth, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(),
                      0, 1, grid->columnCount());
    if (g_recording) {
        // A test's box: whatever the test wants to arrive meanwhile arrives inside this loop, then
        // the recorded answer is clicked.
        QTimer::singleShot(kTestAnswerDelayMs, &box, [&box, accept, reject, recordedAnswer, shown = g_shown.last()] {
            if (const auto whileOpen = std::exchange(g_whileOpen, nullptr))
                whileOpen(shown);
            QTimer::singleShot(0, &box, [accept, reject, recordedAnswer] {
                (recordedAnswer == Accepted || !reject ? accept : reject)->click();
            });
        });
    }
    modal::exec(box);
    return box.clickedButton() == accept ? Accepted : Rejected;
}

void MessageBox::critical(QWidget* parent, const QString& title, const QString& text)
{
    present(parent, Critical, title, text, {QStringLiteral("OK")}, false);
}

void MessageBox::warning(QWidget* parent, const QString& title, const QString& text)
{
    present(parent, Warning, title, text, {QStringLiteral("OK")}, false);
}

void MessageBox::information(QWidget* parent, const QString& title, const QString& text)
{
    present(parent, Information, title, text, {QStringLiteral("OK")}, false);
}

MessageBox::Answer MessageBox::ask(QWidget* parent, Icon icon, const QString& title, const QString& text,
                                   const QString& acceptText, const QString& rejectText, bool stayOnTop)
{
    return present(parent, icon, title, text, {acceptText, rejectText}, stayOnTop);
}

MessageBox::Answer MessageBox::askWithoutDefault(QWidget* parent, Icon icon, const QString& title, const QString& text,
                                                 const QString& acceptText, const QString& rejectText)
{
    return present(parent, icon, title, text, {acceptText, rejectText}, false, true);
}

void MessageBox::setRecording(bool recording)
{
    g_recording = recording;
    g_shown.clear();
    g_answers.clear();
}

bool MessageBox::isRecording()
{
    return g_recording;
}

void MessageBox::setRunLoops(bool runLoops)
{
    g_runLoops = runLoops;
}

bool MessageBox::runsLoops()
{
    return g_runLoops;
}

void MessageBox::setWhileOpen(std::function<void(const Shown&)> whileOpen)
{
    g_whileOpen = std::move(whileOpen);
}

QList<MessageBox::Shown> MessageBox::takeShown()
{
    QList<Shown> shown;
    shown.swap(g_shown);
    return shown;
}

void MessageBox::setNextAnswer(Answer answer)
{
    g_answers.append(answer);
}
