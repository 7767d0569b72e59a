#include "X11Desktop.h"

#include <QDir>
#include <QtTest>

#include <algorithm>

namespace x11 {

// No helper program should take this long; one that does is stopped and counts as failed.
constexpr int kToolWaitMs = 30000;

QByteArray run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(kToolWaitMs) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return QByteArray();
    const QByteArray out = process.readAllStandardOutput();
    return out.isNull() ? QByteArray("") : out;
}

bool xdotool(const QStringList& arguments)
{
    return !run(QStringLiteral("xdotool"), arguments).isNull();
}

int waitMs(int ms)
{
    bool ok = false;
    const int factor = qEnvironmentVariableIntValue("CASHIER_TEST_WAIT_FACTOR", &ok);
    return ok && factor > 1 ? ms * factor : ms;
}

QStringList visibleWindows(const QString& title)
{
    // xdotool exits with 1 when nothing matches; that is an empty list here.
    QProcess process;
    process.start(QStringLiteral("xdotool"), {"search", "--onlyvisible", "--name", "^" + title + "$"});
    process.waitForFinished(kToolWaitMs);
    return QString::fromLatin1(process.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool isVisible(const QString& title)
{
    return !visibleWindows(title).isEmpty();
}

bool popupMenuShown()
{
    const QStringList ids = visibleWindows(QStringLiteral(".*"));
    return std::any_of(ids.cbegin(), ids.cend(), [](const QString& id) {
        return run(QStringLiteral("xprop"), {"-id", id, "_NET_WM_WINDOW_TYPE"}).contains("_NET_WM_WINDOW_TYPE_POPUP_MENU");
    });
}

// The one window titled `title`, once there is exactly one (a window being replaced may be
// mapped twice for a moment); empty when that does not happen within `ms`.
static QString theWindow(const QString& title, int ms)
{
    QString id;
    const bool one = QTest::qWaitFor(
        [&] {
            const QStringList ids = visibleWindows(title);
            id = ids.size() == 1 ? ids.first() : QString();
            return !id.isEmpty();
        },
        ms);
    return one ? id : QString();
}

// Asks the window manager to activate `id` until the X input focus is there. A slow program can
// miss the first request (its window not yet ready for the focus), and xdotool's own --sync gives
// up without saying why. Keys sent after this reach the window: the server queued its FocusIn
// first.
static bool activateWindow(const QString& id)
{
    QElapsedTimer clock;
    clock.start();
    const int patienceMs = waitMs(10000);
    while (clock.elapsed() < patienceMs) {
        if (!xdotool({"windowactivate", id}))
            return false; // gone
        const bool focused = QTest::qWaitFor(
            [&] { return run(QStringLiteral("xdotool"), {"getwindowfocus"}).trimmed() == id.toLatin1(); },
            1000);
        if (focused)
            return true;
    }
    return false;
}

bool activate(const QString& title)
{
    const QString id = theWindow(title, waitMs(5000));
    return !id.isEmpty() && activateWindow(id);
}

bool pressIn(const QString& title, const QString& key)
{
    return activate(title) && xdotool({"key", key});
}

bool clickIn(const QString& title, int x, int y)
{
    const QString id = theWindow(title, waitMs(5000));
    return !id.isEmpty() && activateWindow(id) &&
           xdotool({"mousemove", "--window", id, QString::number(x), QString::number(y)}) &&
           xdotool({"click", "1"});
}

bool startWindowManager(QProcess& windowManager)
{
    windowManager.start(QStringLiteral("openbox"), {"--sm-disable"});
    if (!windowManager.waitForStarted(10000))
        return false;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000) {
        if (run("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).contains("window id"))
            return true;
        QTest::qWait(50);
    }
    return false;
}

void saveScreenIfFailed(const char* program)
{
    if (!QTest::currentTestFailed())
        return;
    const QString shot = QDir::temp().filePath(
        QStringLiteral("%1-%2.png").arg(QLatin1String(program), QLatin1String(QTest::currentTestFunction())));
    if (!run("import", {"-window", "root", shot}).isNull())
        qWarning().noquote() << "screen at the failure:" << shot;
    QStringList mapped;
    for (const QString& id : visibleWindows(QStringLiteral(".*"))) {
        const QString name = QString::fromUtf8(run("xdotool", {"getwindowname", id})).trimmed();
        if (!name.isEmpty())
            mapped << QStringLiteral("\"%1\"").arg(name);
    }
    qWarning().noquote() << "windows mapped at the failure:" << mapped.join(QStringLiteral(", "));
}

} // namespace x11
