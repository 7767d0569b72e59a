#include "X11Desktop.h"

#include <QDir>
#include <QtTest>

namespace x11 {

// xdotool's --sync waits for the program to take the focus, which a program built with the
// sanitizers and sharing the machine with other tests may take many seconds to do.
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

bool activate(const QString& title)
{
    const QStringList ids = visibleWindows(title);
    return ids.size() == 1 && xdotool({"windowactivate", "--sync", ids.first()});
}

bool pressIn(const QString& title, const QString& key)
{
    return activate(title) && xdotool({"key", key});
}

bool clickIn(const QString& title, int x, int y)
{
    const QStringList ids = visibleWindows(title);
    return ids.size() == 1 && xdotool({"windowactivate", "--sync", ids.first()}) &&
           xdotool({"mousemove", "--window", ids.first(), QString::number(x), QString::number(y)}) &&
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
