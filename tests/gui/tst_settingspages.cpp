// The collection, refund and general settings pages against real app.config, data.ini and autostart
// files in a scratch working folder: what each page shows from them, what it writes, and what it
// says when a file cannot be written.

#include "config/AppConfigRecord.h"
#include "config/DataConfig.h"
#include "net/SessionData.h"
#include "net/ShopList.h"
#include "platform/Autostart.h"
#include "settings/SetDataDialog.h"
#include "settings/SetShouKuan.h"
#include "settings/setReundForm.h"
#include "widgets/MessageBox.h"

#include "ScreenTestSupport.h"
#include "WidgetTestMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSettings>
#include <QtEndian>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
#undef MessageBox // the project's message-box seam, not the Windows function
#endif

#include <memory>

namespace {
// Makes a file read-only for the lifetime of the object. Root writes through file permissions, so a
// test run as root also gives up root meanwhile (effective user "nobody", the folder left readable
// for it): saving then meets the same refusal a cashier's locked-down folder gives.
class ReadOnlyFile
{
public:
    explicit ReadOnlyFile(const QString& path)
        : m_path(QFileInfo(path).absoluteFilePath()), m_permissions(QFile::permissions(m_path))
    {
#ifdef Q_OS_WIN
        // The read-only attribute itself: Qt's permissions go through the C library's chmod, which
        // Wine run as root does not enforce.
        SetFileAttributesW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(m_path).utf16()),
                           FILE_ATTRIBUTE_READONLY);
#else
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::ReadUser | QFile::ReadGroup | QFile::ReadOther);
#endif
#ifdef Q_OS_UNIX
        if (geteuid() == 0) {
            m_folder = QFileInfo(m_path).absolutePath();
            m_folderPermissions = QFile::permissions(m_folder);
            QFile::setPermissions(m_folder, m_folderPermissions | QFile::ReadOther | QFile::ExeOther);
            m_droppedRoot = seteuid(65534) == 0;
        }
#endif
    }
    ~ReadOnlyFile()
    {
#ifdef Q_OS_UNIX
        if (m_droppedRoot && seteuid(0) != 0)
            qFatal("could not take root back");
        if (!m_folder.isEmpty())
            QFile::setPermissions(m_folder, m_folderPermissions);
#endif
#ifdef Q_OS_WIN
        SetFileAttributesW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(m_path).utf16()),
                           FILE_ATTRIBUTE_NORMAL);
#endif
        QFile::setPermissions(m_path, m_permissions);
    }
    // Whether writing really is refused (opened for appending, so nothing changes if it is not).
    bool refusesWriting() const
    {
#ifdef Q_OS_WIN
        // Wine run as root still opens such a file for writing; replacing it, as every save does, is
        // refused.
        return GetFileAttributesW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(m_path).utf16())) &
               FILE_ATTRIBUTE_READONLY;
#else
        return !QFile(m_path).open(QIODevice::Append);
#endif
    }

private:
    QString m_path;
    QFile::Permissions m_permissions;
    QString m_folder;
    QFile::Permissions m_folderPermissions;
    bool m_droppedRoot = false;
};

QStringList entries(const QComboBox* box)
{
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
        list << box->itemText(i);
    return list;
}

// The autostart entry: "on" when it starts this executable, "off" when switched off, "none" without one.
QString autostartState()
{
    const QString executable = QCoreApplication::applicationFilePath();
#ifdef Q_OS_WIN
    const QString location = platform::autostartLocation();
    const int cut = location.lastIndexOf(QLatin1Char('\\'));
    const QVariant value = QSettings(location.left(cut), QSettings::NativeFormat).value(location.mid(cut + 1));
    if (!value.isValid())
        return "none";
    return value.toString() == QDir::toNativeSeparators(executable) ? "on" : value.toString().isEmpty() ? "off" : "?";
#else
    const QByteArray entry = readFileBytes(platform::autostartLocation());
    if (entry.isEmpty())
        return "none";
    if (!entry.contains(executable.toUtf8()))
        return "?";
    return entry.contains("\nHidden=false\n") ? "on" : entry.contains("\nHidden=true\n") ? "off" : "?";
#endif
}
} // namespace

class TestSettingsPages : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScopedWorkingDir> m_dir;
    QTemporaryDir m_xdgConfig;
    std::unique_ptr<ScopedEnv> m_xdgEnv;

    static void expectBox(MessageBox::Icon icon, const QString& title, const QString& text)
    {
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.at(0).icon, icon);
        QCOMPARE(shown.at(0).title, title);
        QCOMPARE(shown.at(0).text, text);
    }

private slots:
    void initTestCase()
    {
        // data.ini is bound to the working folder at its first use: this one, for every test.
        m_dir = std::make_unique<ScopedWorkingDir>();
        QVERIFY(m_dir->isValid());
        QVERIFY(m_xdgConfig.isValid());
        m_xdgEnv = std::make_unique<ScopedEnv>("XDG_CONFIG_HOME", m_xdgConfig.path().toUtf8());
        MessageBox::setRecording(true);
    }

    void init()
    {
        MessageBox::takeShown();
        AppConfigRecord::instance() = AppConfigRecord();
    }

    void collectionPageSavesTheCentsMode()
    {
        AppConfigRecord& record = AppConfigRecord::instance();
        record.centsMode = AppConfigRecord::RoundCents;
        SetShouKuan page;
        auto* mode = page.findChild<QComboBox*>("comboBox");
        QCOMPARE(entries(mode), (QStringList{"不处理", "四舍五入", "舍掉分钱"}));
        QCOMPARE(mode->currentText(), QStringLiteral("四舍五入"));

        mode->setCurrentIndex(2);
        page.findChild<QPushButton*>("btn2")->click();
        expectBox(MessageBox::Information, "提示信息", "设置成功");
        const QByteArray saved = readFileBytes("app.config");
        QCOMPARE(saved.size(), AppConfigRecord::kSize);
        QCOMPARE(qFromLittleEndian<qint32>(saved.constData() + 16), qint32(AppConfigRecord::DropCents));

        // A file that cannot be written: said so, the old record kept whole, the new mode in force.
        mode->setCurrentIndex(0);
        {
            ReadOnlyFile readOnly("app.config");
            QVERIFY(readOnly.refusesWriting());
            page.findChild<QPushButton*>("btn2")->click();
        }
        expectBox(MessageBox::Critical, "提示信息", "系统错误，请重试");
        QCOMPARE(readFileBytes("app.config"), saved);
        QCOMPARE(record.centsMode, qint32(AppConfigRecord::KeepCents));
    }

    void refundPageSavesFlagsAndItemName()
    {
        AppConfigRecord& record = AppConfigRecord::instance();
        record.cardEnabled = true;
        record.itemName = QStringLiteral("房间号");
        setReundForm page;
        auto* refund = page.findChild<QCheckBox*>("cbkRefund");
        auto* card = page.findChild<QCheckBox*>("cbkRedundCard");
        auto* name = page.findChild<QLineEdit*>("txtRefundName");
        auto* ok = page.findChild<QPushButton*>("btnOk");
        QVERIFY(!refund->isChecked());
        QVERIFY(card->isChecked());
        QCOMPARE(name->text(), QStringLiteral("房间号"));

        // A partially checked box counts as ticked; the name is UTF-16LE with a zero unit after it.
        refund->setCheckState(Qt::PartiallyChecked);
        card->setChecked(false);
        name->setText(QStringLiteral("手牌"));
        ok->click();
        expectBox(MessageBox::Information, "提示信息", "设置成功");
        QByteArray saved = readFileBytes("app.config");
        QCOMPARE(saved.size(), AppConfigRecord::kSize);
        QCOMPARE(saved.mid(20, 8).toHex(), QByteArray("01004b624c720000"));

        name->clear();
        ok->click();
        expectBox(MessageBox::Information, "提示信息", "设置成功");
        saved = readFileBytes("app.config");
        QCOMPARE(saved.mid(20, 2).toHex(), QByteArray("0100"));
        QCOMPARE(saved.mid(22), QByteArray(102, '\0'));

        // A name longer than the record holds is refused whole: nothing changes, in memory or on disk.
        refund->setChecked(false);
        name->setText(QString(51, QChar(0x724C)));
        ok->click();
        expectBox(MessageBox::Critical, "提示信息", "物品名称最多50个字，请重新输入");
        QCOMPARE(readFileBytes("app.config"), saved);
        QVERIFY(record.refundEnabled);
        QCOMPARE(record.itemName, QString());

        name->setText(QStringLiteral("手牌"));
        {
            ReadOnlyFile readOnly("app.config");
            QVERIFY(readOnly.refusesWriting());
            ok->click();
        }
        expectBox(MessageBox::Critical, "提示信息", "系统错误，请重试");
        QCOMPARE(readFileBytes("app.config"), saved);
        QVERIFY(!record.refundEnabled);
        QCOMPARE(record.itemName, QStringLiteral("手牌"));
    }

    void generalPageAppliesShopPrinterAndStartSettings()
    {
        const QJsonObject west{{"shopid", "11"}, {"main_name", "澜川餐厅"}, {"branch_name", "西湖店"}};
        const QJsonObject river{{"shopid", "12"}, {"main_name", "澜川餐厅"}, {"branch_name", "滨江店"}};
        SessionData& session = SessionData::instance();
        session.clearShops();
        session.insertShop(0, west);
        session.insertShop(1, river);
        session.setCurrentShop(west);
        QVERIFY(writeFileBytes("data.ini",
                               "[data_config]\nprinterName=Removed-80\ncheck=0\ncheck_updata=1\nshopName=" +
                                   QTextCodec::codecForName("GB2312")->fromUnicode(shoplist::caption(river)) + "\n"));

        // Laid on the panel's page area, centred there, dragged with the left button.
        QWidget area;
        area.resize(521, 331);
        auto page = std::make_unique<SetDataDialog>(&area);
        QCOMPARE(page->pos(), QPoint(30, 15));
        auto* shop = page->findChild<QComboBox*>("comboBox");
        auto* printer = page->findChild<QComboBox*>("comboBox_printer");
        auto* autostart = page->findChild<QComboBox*>("comboBox_auto");
        auto* update = page->findChild<QComboBox*>("comboBox_updata");
        auto* sure = page->findChild<QPushButton*>("pushButton_sure");

        // The system's printers (CashierPDF when CUPS runs); a printer no longer there selects none.
        const QStringList printers = QStringList{"不打印小票"} + QPrinterInfo::availablePrinterNames();
        QCOMPARE(entries(printer), printers);
        QCOMPARE(printer->currentIndex(), 0);
        QCOMPARE(entries(shop), (QStringList{"澜川餐厅  西湖店", "澜川餐厅  滨江店"}));
        QCOMPARE(shop->currentIndex(), 1);
        QCOMPARE(entries(autostart), (QStringList{"不开机自动启动", "开机自动启动"}));
        QCOMPARE(autostart->currentIndex(), 0);
        QCOMPARE(entries(update), (QStringList{"启动自动检测更新", "启动不自动检测更新"}));
        QCOMPARE(update->currentIndex(), 1);

        const QPoint start = page->pos();
        auto mouse = [&](QEvent::Type type, QPoint global, Qt::MouseButton button, Qt::MouseButtons held) {
            QMouseEvent event(type, QPointF(5, 5), QPointF(global), button, held, Qt::NoModifier);
            QApplication::sendEvent(page.get(), &event);
        };
        mouse(QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton, Qt::LeftButton);
        mouse(QEvent::MouseMove, {130, 90}, Qt::NoButton, Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, {130, 90}, Qt::LeftButton, Qt::NoButton);
        mouse(QEvent::MouseMove, {200, 200}, Qt::NoButton, Qt::NoButton);
        QCOMPARE(page->pos(), start + QPoint(30, -10));

        // The stored shop becomes the one collected for, with the printer and the start settings.
        const QString chosenPrinter = printers.last();
        printer->setCurrentText(chosenPrinter);
        autostart->setCurrentIndex(1);
        update->setCurrentIndex(0);
        sure->click();
        expectBox(MessageBox::Critical, "温馨提示", "操作成功");
        QCOMPARE(session.shopId(), QStringLiteral("12"));
        QCOMPARE(session.printerName(), chosenPrinter);
        QCOMPARE(dataIniValue("shopName"), QStringLiteral("澜川餐厅  滨江店"));
        QCOMPARE(dataIniValue("printerName"), chosenPrinter);
        QCOMPARE(dataIniValue("check"), QStringLiteral("1"));
        QCOMPARE(dataIniValue("check_updata"), QStringLiteral("0"));
        QCOMPARE(autostartState(), QStringLiteral("on"));

        // Built again, the page shows what was saved; switching autostart off empties the entry.
        page = std::make_unique<SetDataDialog>(&area);
        autostart = page->findChild<QComboBox*>("comboBox_auto");
        QCOMPARE(page->findChild<QComboBox*>("comboBox_printer")->currentText(), chosenPrinter);
        QCOMPARE(autostart->currentIndex(), 1);
        QCOMPARE(page->findChild<QComboBox*>("comboBox_updata")->currentIndex(), 0);
        page->findChild<QComboBox*>("comboBox")->setCurrentIndex(0);
        autostart->setCurrentIndex(0);
        page->findChild<QPushButton*>("pushButton_sure")->click();
        expectBox(MessageBox::Critical, "温馨提示", "操作成功");
        QCOMPARE(session.shopId(), QStringLiteral("11"));
        QCOMPARE(dataIniValue("check"), QStringLiteral("0"));
        QCOMPARE(autostartState(), QStringLiteral("off"));

        // data.ini cannot be written: said so and left whole; the autostart entry follows data.ini,
        // and the session keeps the shop and printer data.ini holds.
        const QByteArray ini = readFileBytes("data.ini");
        page->findChild<QComboBox*>("comboBox")->setCurrentIndex(1);
        page->findChild<QComboBox*>("comboBox_printer")->setCurrentIndex(0);
        autostart->setCurrentIndex(1);
        {
            ReadOnlyFile readOnly("data.ini");
            QVERIFY(readOnly.refusesWriting());
            page->findChild<QPushButton*>("pushButton_sure")->click();
        }
        expectBox(MessageBox::Critical, "温馨提示", "系统错误，请重试");
        QCOMPARE(readFileBytes("data.ini"), ini);
        QCOMPARE(autostartState(), QStringLiteral("off"));
        QCOMPARE(session.shopId(), QStringLiteral("11"));
        QCOMPARE(session.printerName(), chosenPrinter);

        // Opened before login, with no shop list yet: the stored shop stays.
        session.clearShops();
        page = std::make_unique<SetDataDialog>(&area);
        page->findChild<QComboBox*>("comboBox_printer")->setCurrentIndex(0);
        page->findChild<QPushButton*>("pushButton_sure")->click();
        expectBox(MessageBox::Critical, "温馨提示", "操作成功");
        QCOMPARE(dataIniValue("shopName"), QStringLiteral("澜川餐厅  西湖店"));
        QCOMPARE(dataIniValue("printerName"), QStringLiteral("不打印小票"));
        QCOMPARE(session.shopId(), QStringLiteral("11"));
    }
};

CASHIER_WIDGET_TEST_MAIN(TestSettingsPages)
#include "tst_settingspages.moc"
