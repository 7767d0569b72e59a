#include "platform/Autostart.h"
#include "platform/SerialPortNames.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QtTest>

#include <pty.h>
#include <unistd.h>

namespace {
// The desktop entry as a freedesktop launcher reads it.
QMap<QString, QString> readEntry(const QString& path)
{
    QMap<QString, QString> entry;
    const QList<QByteArray> lines = readFileBytes(path).split('\n');
    for (const QByteArray& line : lines) {
        const int eq = line.indexOf('=');
        if (eq > 0)
            entry.insert(QString::fromUtf8(line.left(eq)), QString::fromUtf8(line.mid(eq + 1)));
    }
    return entry;
}

// Undoes desktop-entry string escaping, then Exec quoting, giving the program path a launcher runs.
QString unquoteExec(QString exec)
{
    exec.replace(QLatin1String("\\\\"), QLatin1String("\\"));
    if (!exec.startsWith('"') || !exec.endsWith('"'))
        return QStringLiteral("<not quoted: %1>").arg(exec);
    exec = exec.mid(1, exec.size() - 2);
    QString path;
    for (int i = 0; i < exec.size(); ++i) {
        if (exec.at(i) == '\\' && i + 1 < exec.size())
            ++i;
        path += exec.at(i);
    }
    return path.replace(QLatin1String("%%"), QLatin1String("%"));
}
} // namespace

class TestPlatform : public QObject
{
    Q_OBJECT

private slots:
    void autostartEntryFollowsTheSwitch()
    {
        QTemporaryDir config;
        ScopedEnv xdg("XDG_CONFIG_HOME", config.path().toUtf8());
        const QString entryPath = config.filePath("autostart/cashier.desktop");
        QCOMPARE(platform::autostartLocation(), entryPath);

        platform::writeAutostart(true, "/opt/cashier/cashier");
        QMap<QString, QString> entry = readEntry(entryPath);
        QCOMPARE(entry.value("Type"), QString("Application"));
        QCOMPARE(unquoteExec(entry.value("Exec")), QString("/opt/cashier/cashier"));
        QCOMPARE(entry.value("Path"), QString("/opt/cashier"));
        QCOMPARE(entry.value("Hidden"), QString("false"));

        // Off: the entry stays, switched off, never deleted.
        platform::writeAutostart(false, "/opt/cashier/cashier");
        entry = readEntry(entryPath);
        QCOMPARE(entry.value("Hidden"), QString("true"));
        QCOMPARE(entry.value("X-GNOME-Autostart-enabled"), QString("false"));

        // Moved program, switched on again: the entry follows it.
        platform::writeAutostart(true, "/home/shop/new place/cashier");
        entry = readEntry(entryPath);
        QCOMPARE(entry.value("Hidden"), QString("false"));
        QCOMPARE(unquoteExec(entry.value("Exec")), QString("/home/shop/new place/cashier"));
    }

    void autostartPathsWithShellCharactersSurvive()
    {
        QTemporaryDir config;
        ScopedEnv xdg("XDG_CONFIG_HOME", config.path().toUtf8());
        const QString path = QStringLiteral("/srv/a \"b\" $HOME `id` 100% c\\d/收银/cashier");
        platform::writeAutostart(true, path);
        const QString exec = readEntry(config.filePath("autostart/cashier.desktop")).value("Exec");
        QCOMPARE(unquoteExec(exec), path);
    }

    void autostartFallsBackToHomeConfig()
    {
        QTemporaryDir home;
        ScopedEnv xdg("XDG_CONFIG_HOME", QByteArray());
        qunsetenv("XDG_CONFIG_HOME");
        ScopedEnv homeEnv("HOME", home.path().toUtf8());
        platform::writeAutostart(true, "/opt/cashier/cashier");
        QVERIFY(QFileInfo::exists(home.filePath(".config/autostart/cashier.desktop")));
    }

    void autostartThatCannotBeWrittenIsSilent()
    {
        QTemporaryDir config;
        QVERIFY(writeFileBytes(config.filePath("autostart"), "a file where the folder should be"));
        ScopedEnv xdg("XDG_CONFIG_HOME", config.path().toUtf8());
        platform::writeAutostart(true, "/opt/cashier/cashier");
        QCOMPARE(readFileBytes(config.filePath("autostart")), QByteArray("a file where the folder should be"));
    }

    void comNamesMapToOnBoardPortsByDefault()
    {
        ScopedWorkingDir dir;
        QCOMPARE(platform::comName(9), QString("COM9"));
        QCOMPARE(platform::serialPortName(1), QString("/dev/ttyS0"));
        QCOMPARE(platform::serialPortName(9), QString("/dev/ttyS8"));
    }

    void portsFolderPointsComNamesElsewhere()
    {
        ScopedWorkingDir dir;
        int master = -1;
        int slave = -1;
        char slaveName[256] = {};
        QCOMPARE(openpty(&master, &slave, slaveName, nullptr, nullptr), 0);
        const QString device = QFile::decodeName(slaveName);

        QVERIFY(QDir().mkdir("ports"));
        QVERIFY(QFile::link(device, "ports/COM3"));
        QVERIFY(QFile::link(dir.filePath("gone"), "ports/COM4"));
        QCOMPARE(platform::serialPortName(3), device);
        QCOMPARE(platform::serialPortName(4), dir.filePath("ports/COM4"));
        QCOMPARE(platform::serialPortName(5), QString("/dev/ttyS4"));

        ::close(slave);
        ::close(master);
    }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
