// Drives one sale through the real windows against the demo gateway and saves a picture of each
// window, for the README and for reviewing the look. Not a test: `scripts/screenshots` runs it.
//
//   make_screenshots OUTPUT_DIR

#include "app/LoginWidget.h"
#include "app/MainWindow.h"
#include "app/Shell.h"
#include "collect/CardDialog.h"
#include "collect/FormCS.h"
#include "collect/FormSaoMaShouKuan.h"
#include "collect/FormTradeInfo.h"
#include "collect/SelectShopDialog.h"
#include "config/AppConfigRecord.h"
#include "config/DataConfig.h"
#include "net/PaymentCheck.h"
#include "net/SessionData.h"
#include "net/QueryReplies.h"
#include "print/ReceiptDocuments.h"
#include "query/FormJiaoYiCX.h"
#include "query/RefundSureDialog.h"
#include "query/myTrade.h"
#include "settings/SettingMain.h"
#include "widgets/Application.h"
#include "widgets/MessageBox.h"
#include "widgets/Printer.h"

#include "ScreenTestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <cstdio>

namespace {
QString g_output;

bool waitFor(const std::function<bool()>& done, int ms = 10000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QTest::qWait(20);
    return done();
}

void save(QWidget* window, const QString& name)
{
    QTest::qWait(200); // let the spinner and style sheets settle
    const QString path = QDir(g_output).filePath(name);
    window->grab().save(path);
    std::printf("%s\n", qPrintable(path));
}

template <typename T> T* visibleWindow()
{
    for (T* window : topLevelWindows<T>())
        if (window->isVisible())
            return window;
    return nullptr;
}
} // namespace

int main(int argc, char** argv)
{
    prepareApplication();
    QApplication app(argc, argv);
    setUpApplication();
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_screenshots OUTPUT_DIR\n");
        return 2;
    }
    g_output = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(g_output);

    ScopedWorkingDir dir;
    DemoGateway gateway;
    if (!gateway.start()) {
        std::fprintf(stderr, "demo gateway: %s\n", qPrintable(gateway.error()));
        return 1;
    }
    writeDataIni(gateway, "user=demo\npwd=demo123\nremPwdstatus=true\ncheck_updata=1\nprinterName=CashierPDF\n");
    MessageBox::setRecording(true);
    Printer::setRecording(Printer::Recording::AndPrinting);
    AppConfigRecord::instance().load();

    LoginWidget login;
    login.show();
    save(&login, "login.png");
    login.findChild<QPushButton*>("login_btn")->click();
    if (!waitFor([] { return visibleWindow<SelectShopDialog>() != nullptr; }))
        return 1;
    SelectShopDialog* shops = visibleWindow<SelectShopDialog>();
    waitFor([shops] { return shops->findChild<QComboBox*>("comboBox")->count() > 0; });
    save(shops, "select-shop.png");
    shops->findChild<QPushButton*>("pushButton")->click();

    MainWindow* window = nullptr;
    if (!waitFor([&window] { return (window = visibleWindow<MainWindow>()) != nullptr; }))
        return 1;
    FormSaoMaShouKuan* keypad = window->collectionTab();
    for (const char* key : {"one_btn", "two_btn", "eig_btn", "dot_btn", "fiv_btn"}) {
        keypad->findChild<QPushButton*>(key)->click();
        QTest::qWait(80);
    }
    save(window, "keypad.png");

    keypad->startCollection();
    FormCS* scanning = keypad->findChild<FormCS*>();
    if (!scanning)
        return 1;
    save(scanning, "scan-pay.png");
    QTest::keyClicks(scanning, "134567890123456789");
    QTest::keyClick(scanning, Qt::Key_Return);
    if (!waitFor([] { return visibleWindow<FormTradeInfo>() != nullptr; }))
        return 1;
    FormTradeInfo* result = visibleWindow<FormTradeInfo>();
    result->findChild<QLineEdit*>("noEdit")->setText("808");
    save(result, "trade-result.png");

    // The question put when an earlier charge got no answer and a payment of its amount is at the
    // gateway: a real box, grabbed from inside its own loop.
    MessageBox::setRunLoops(true);
    MessageBox::setWhileOpen([](const MessageBox::Shown&) {
        if (QWidget* box = QApplication::activeModalWidget())
            save(box, "payment-question.png");
    });
    const QJsonObject found{{"out_trade_no", "20261208143015886021"},
                            {"pay_date", QDateTime::currentDateTime().toString("yyyy-MM-dd hh:mm:ss")},
                            {"money", 2345}};
    MessageBox::askWithoutDefault(
        result, MessageBox::Question, QStringLiteral("温馨提示"),
        paymentcheck::question(found, MoneyJournal::newEntry(MoneyJournal::Kind::Charge, QStringLiteral("1001"), 2345), true),
        QStringLiteral("是(&Y)"), QStringLiteral("否(&N)"));
    MessageBox::setRunLoops(false);

    // The afternoon: the query tab over the demo data, and the item dialog for one of its orders.
    result->close();
    AppConfigRecord::instance().refundEnabled = true;
    AppConfigRecord::instance().cardEnabled = true;
    AppConfigRecord::instance().itemName = QStringLiteral("房间");
    window->findChild<QRadioButton*>("jycx_btn")->click();
    auto* query = qobject_cast<FormJiaoYiCX*>(window->currentTab());
    if (!query)
        return 1;
    query->findChild<QDateTimeEdit*>("start_dateEdit")->setDateTime(QDateTime::currentDateTime().addDays(-2));
    query->findChild<QPushButton*>("query_btn")->click();
    save(window, "query.png");
    const QJsonObject order = SessionData::instance().orders().value(1);
    CardDialog card(nullptr, order.value("out_trade_no").toString(), order.value("trade_no").toString(),
                    order.value("money").toString(), order.value("pay_channel").toString());
    card.show();
    card.findChild<QLineEdit*>("txtCardNo")->setText("808");
    save(&card, "card.png");

    // A refund of an order with items, and the shift summary, as they open over the tab.
    const QJsonObject withItems = [] {
        for (const QJsonObject& order : SessionData::instance().orders())
            if (!order.value("cardno").toString().isEmpty() && order.value("refundfee").toString() == "0")
                return order;
        return SessionData::instance().orders().value(0);
    }();
    RefundSureDialog refund(nullptr, query::readOrder(withItems));
    refund.show();
    QTest::qWait(800); // its items come from the gateway
    save(&refund, "refund.png");
    myTrade summary;
    summary.show();
    QTest::qWait(800); // the period and its totals come from the gateway
    save(&summary, "summary.png");

    // The merchant tab, and the settings panel on each of its pages.
    window->findChild<QRadioButton*>("sjxx_btn")->click();
    save(window, "merchant.png");
    SettingMain settings;
    settings.setSerialPortAccess(shell::serialPorts());
    const char* const pages[] = {
        "serial",     "general",        "login-password", "refund-password", "forgotten-refund-password",
        "collection", "refund-settings"};
    settings.show();
    for (int page = 1; page <= 7; ++page) {
        settings.doSet(page);
        save(&settings, QStringLiteral("settings-%1.png").arg(QLatin1String(pages[page - 1])));
    }
    settings.hide();

    // The new slips, printed for a look (scripts/screenshots keeps only the payment receipt).
    const QString hotline = DataConfig::instance().getServiceHotline();
    const QString operatorName = SessionData::instance().operatorName();
    Printer::printHtml(receipt::reprintReceipt(query::readOrder(withItems), operatorName, hotline));
    Printer::printHtml(receipt::refundReceipt(query::readOrder(withItems), operatorName, 1250, hotline));

    for (const Printer::Job& job : Printer::takeJobs())
        std::printf("printed %s on %s\n", qPrintable(job.docName), qPrintable(job.printerName));
    return 0;
}
