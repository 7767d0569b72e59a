// What only a Windows build does, run for real (under Wine here): the autostart value in the
// per-user Run key read back through the registry itself, COM port names, and the settings files on
// a Windows file system — GB2312 with CRLF, atomic saves, and a read-only or locked file refused
// without losing the file.

#include "config/AppConfigRecord.h"
#include "config/DataConfig.h"
#include "platform/Autostart.h"
#include "platform/DataFolder.h"
#include "platform/SerialPortNames.h"
#include "platform/Updater.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTextCodec>
#include <QtTest>

#include <windows.h>

namespace {
const wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// The "auto" value as the registry holds it; a null string when there is none.
QString runValue()
{
    DWORD type = 0;
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, L"auto", RRF_RT_ANY, &type, nullptr, &size) != ERROR_SUCCESS)
        return QString();
    if (type != REG_SZ)
        return QStringLiteral("<type %1>").arg(type);
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, L"auto", RRF_RT_REG_SZ, nullptr, data.data(), &size) != ERROR_SUCCESS)
        return QStringLiteral("<unreadable>");
    return QString::fromWCharArray(data.c_str());
}

void deleteRunValue()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueW(key, L"auto");
        RegCloseKey(key);
    }
}

// Holds `path` open the way another program (an editor, a virus scanner) might: sharing reads
// only, so nobody may write, replace or delete it meanwhile.
class LockedFile
{
public:
    explicit LockedFile(const QString& path)
        : m_handle(CreateFileW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16()), GENERIC_READ,
                               FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
    {}
    ~LockedFile()
    {
        if (isLocked())
            CloseHandle(m_handle);
    }
    bool isLocked() const { return m_handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_handle;
};

bool setReadOnly(const QString& path, bool readOnly)
{
    const auto native = reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16());
    return SetFileAttributesW(native, readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
}

QByteArray gb2312(const QString& text)
{
    return QTextCodec::codecForName("GB2312")->fromUnicode(text);
}
} // namespace

class TestPlatformWindows : public QObject
{
    Q_OBJECT

private slots:
    void autostartIsTheRunValue()
    {
        deleteRunValue();
        const QString program = QStringLiteral("C:/Program Files/收银台/cashier.exe");
        platform::writeAutostart(true, program);
        QCOMPARE(runValue(), QStringLiteral("C:\\Program Files\\收银台\\cashier.exe"));

        // Moved and started again: the value follows.
        platform::writeAutostart(true, QStringLiteral("D:/cashier/cashier.exe"));
        QCOMPARE(runValue(), QStringLiteral("D:\\cashier\\cashier.exe"));

        // Switched off: emptied, never deleted.
        platform::writeAutostart(false, program);
        QCOMPARE(runValue(), QString(""));
        QVERIFY(!runValue().isNull());
        deleteRunValue();
    }

    // Started by the Run key at logon the program finds itself in System32, started from its own
    // folder it is under Program Files: neither holds settings, the per-user data folder does. A
    // folder of the shop's own choosing is kept.
    void settingsAreKeptInTheDataFolderWhenStartedInASystemFolder()
    {
        ScopedWorkingDir restore;
        const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/LanchuanPay";
        QDir(data).removeRecursively();
        wchar_t system[MAX_PATH];
        QVERIFY(GetSystemDirectoryW(system, MAX_PATH) > 0);
        for (const QString& start : {QString::fromWCharArray(system), qEnvironmentVariable("ProgramFiles")}) {
            QVERIFY2(QDir::setCurrent(start), qPrintable(start));
            QCOMPARE(platform::enterDataFolder(), data);
            QCOMPARE(QDir::currentPath(), data);
        }
        QVERIFY(QDir::setCurrent(restore.path()));
        QCOMPARE(platform::enterDataFolder(), restore.path());
        QCOMPARE(QDir::currentPath(), restore.path());

        // Compared as Windows compares paths.
        QVERIFY(platform::isInsideAny("c:\\WINDOWS\\system32", {"C:/Windows"}));
        QVERIFY(!platform::isInsideAny("C:/Windows2/shop", {"C:/Windows", ""}));
    }

    void comNamesArePassedAsTheyAre()
    {
        ScopedWorkingDir dir;
        // The ports folder that picks devices on Linux means nothing here (COMn cannot even be a
        // file name on Windows).
        QVERIFY(QDir().mkdir("ports"));
        for (int n : {1, 3, 9, 12})
            QCOMPARE(platform::serialPortName(n), QStringLiteral("COM%1").arg(n));
    }

    void updaterIsRunFromTheWorkingDirectoryAndWaitedFor()
    {
        ScopedWorkingDir dir;
        QVERIFY(!platform::runUpdater()); // not there: the caller tells the cashier
        QVERIFY(QDir().mkdir("install"));
        // Built beside this test.
        QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + "/fake_updater.exe", "install/updata.exe"));
        QVERIFY(platform::runUpdater());
        // Back only once the installer has finished.
        QCOMPARE(readFileBytes("updater-ran.txt").trimmed(), QByteArray("installed"));
    }

    void dataIniIsGb2312WithWindowsLineEnds()
    {
        ScopedWorkingDir dir;
        DataConfig store(dir.filePath("data.ini"));
        QVERIFY(store.setShopName(QStringLiteral("青禾茶餐厅  西湖店")));
        QVERIFY(store.setPrinterName(QStringLiteral("收银打印机")));
        const QByteArray onDisk = readFileBytes(dir.filePath("data.ini"));
        QVERIFY2(onDisk.contains("shopName=" + gb2312(QStringLiteral("青禾茶餐厅  西湖店")) + "\r\n"),
                 onDisk.toHex(' ').constData());
        QVERIFY(onDisk.contains("printerName=" + gb2312(QStringLiteral("收银打印机")) + "\r\n"));
        QCOMPARE(onDisk.count('\n'), onDisk.count("\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"data.ini"});
    }

    void settingsThatCannotBeWrittenAreRefusedAndTheFileKept_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::newRow("read-only file") << false;
        QTest::newRow("file held open by another program") << true;
    }
    void settingsThatCannotBeWrittenAreRefusedAndTheFileKept()
    {
        QFETCH(bool, locked);
        ScopedWorkingDir dir;

        AppConfigRecord saved;
        saved.softwareComNumber = 3;
        saved.itemName = QStringLiteral("手牌");
        QVERIFY(saved.save("app.config"));
        const QByteArray record = readFileBytes("app.config");
        QCOMPARE(record.size(), 124);
        DataConfig store(dir.filePath("data.ini"));
        QVERIFY(store.setShopName(QStringLiteral("旧店名")));
        const QByteArray ini = readFileBytes("data.ini");

        std::unique_ptr<LockedFile> recordLock, iniLock;
        if (locked) {
            recordLock = std::make_unique<LockedFile>(dir.filePath("app.config"));
            iniLock = std::make_unique<LockedFile>(dir.filePath("data.ini"));
            QVERIFY(recordLock->isLocked() && iniLock->isLocked());
        } else {
            QVERIFY(setReadOnly(dir.filePath("app.config"), true));
            QVERIFY(setReadOnly(dir.filePath("data.ini"), true));
        }

        AppConfigRecord changed = saved;
        changed.softwareComNumber = 5;
        QVERIFY(!changed.save("app.config"));
        QVERIFY(!store.setShopName(QStringLiteral("新店名")));

        recordLock.reset();
        iniLock.reset();
        setReadOnly(dir.filePath("app.config"), false);
        setReadOnly(dir.filePath("data.ini"), false);
        QCOMPARE(readFileBytes("app.config"), record);
        QCOMPARE(readFileBytes("data.ini"), ini);
        // The refused change does not ride along with the next save that works.
        QVERIFY(store.setPrinterName(QStringLiteral("P")));
        QVERIFY(!readFileBytes("data.ini").contains(gb2312(QStringLiteral("新店名"))));
        QCOMPARE(store.getShopName(), QStringLiteral("旧店名"));
        // Nothing half-written left beside them.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), (QStringList{"app.config", "data.ini"}));
    }
};

QTEST_GUILESS_MAIN(TestPlatformWindows)
#include "tst_platform_windows.moc"
