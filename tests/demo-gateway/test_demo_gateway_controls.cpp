// The demo gateway as a process: its test controls, restarts on the same database, shutdown,
// HTTPS and the command line.

#include "GatewayProcess.h"

#include <httplib.h>

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <future>
#include <memory>

namespace {

// An IPv4 address of this machine other than loopback, or "".
QByteArray outsideAddress()
{
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return {};
    QByteArray found;
    for (ifaddrs* it = list; it && found.isEmpty(); it = it->ifa_next) {
        if (!it->ifa_addr || it->ifa_addr->sa_family != AF_INET)
            continue;
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(it->ifa_addr)->sin_addr, text, sizeof text);
        if (QByteArray(text).startsWith("127."))
            continue;
        found = text;
    }
    freeifaddrs(list);
    return found;
}

httplib::Result getFrom(const QByteArray& host, int port, const char* path)
{
    httplib::Client cli(host.toStdString(), port);
    cli.set_connection_timeout(3);
    return cli.Get(path);
}

// Sends `request` as it is over a fresh connection, then `piece` over and over until `streamBytes`
// of it went out or the server stops taking it (closes, or reads nothing for 2 s; `streamed` says
// how much went out), and returns whatever comes back until the server closes it or `ms` pass. The
// connection is never half-closed: a server still waiting for a body sees no end of it.
QByteArray rawExchange(int port, const QByteArray& request, int ms, const QByteArray& piece = {},
                       qint64 streamBytes = 0, qint64* streamed = nullptr)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return {};
    const timeval sendTimeout{2, 0};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof sendTimeout);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(quint16(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    QByteArray received;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::send(fd, request.constData(), size_t(request.size()), MSG_NOSIGNAL) == request.size()) {
        qint64 sent = 0;
        while (sent < streamBytes) {
            const qint64 at = sent % piece.size();
            const ssize_t n = ::send(fd, piece.constData() + at, size_t(piece.size() - at), MSG_NOSIGNAL);
            if (n <= 0)
                break;
            sent += n;
        }
        if (streamed)
            *streamed = sent;
        QElapsedTimer clock;
        clock.start();
        char buffer[4096];
        for (qint64 left; (left = ms - clock.elapsed()) > 0;) {
            pollfd wait{fd, POLLIN, 0};
            if (poll(&wait, 1, int(left)) <= 0)
                break;
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            received.append(buffer, int(n));
        }
    }
    ::close(fd);
    return received;
}

} // namespace

class TestDemoGatewayControls : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<GatewayProcess> m_gw;
    QByteArray m_token;

    qint64 timed(const std::function<void()>& call)
    {
        QElapsedTimer clock;
        clock.start();
        call();
        return clock.elapsed();
    }

    Reply listShop() const { return m_gw->action("Account.Shop.listShop", {}, m_token); }

    static bool isShopList(const Reply& reply)
    {
        return reply.status == 200 && reply.content().value("listshop").toArray().size() == 3;
    }

    QJsonObject controls() const { return QJsonDocument::fromJson(m_gw->adminGet("/admin/controls").body).object(); }

    QByteArray host() const { return "Host: 127.0.0.1:" + QByteArray::number(m_gw->port()) + "\r\n"; }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_gw = std::make_unique<GatewayProcess>(m_dir.filePath("gateway.db"));
        QVERIFY2(m_gw->start(), qPrintable(m_gw->log()));
        m_token = m_gw->login("demo", "demo123");
        QVERIFY(!m_token.isEmpty());
    }

    void cleanup() { QCOMPARE(m_gw->adminPost("/admin/reset").status, 200); }

    void cleanupTestCase() { QVERIFY2(m_gw->stop(), qPrintable(m_gw->log())); }

    void slowActionDoesNotHoldOthers()
    {
        QCOMPARE(m_gw->adminPost("/admin/delay?action=Account.Shop.listShop&seconds=2").status, 200);
        QElapsedTimer clock;
        clock.start();
        auto slow = std::async(std::launch::async, [&] { return listShop(); });
        QTest::qSleep(200);
        // Meanwhile other requests, this action's too once its one delayed turn is taken, answer at once.
        qint64 other = timed([&] { QVERIFY(!m_gw->login("demo", "demo123").isEmpty()); });
        QVERIFY2(other < 1000, qPrintable(QString::number(other)));
        other = timed([&] { QVERIFY(isShopList(listShop())); });
        QVERIFY2(other < 1000, qPrintable(QString::number(other)));
        QVERIFY(slow.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready);

        const Reply delayed = slow.get();
        QVERIFY(clock.elapsed() >= 1900);
        QVERIFY(isShopList(delayed));
        QVERIFY(controls().value("delays").toArray().isEmpty()); // used up

        // A sticky delay holds every request of its action until reset; "ms" gives finer steps.
        QCOMPARE(m_gw->adminPost("/admin/delay?action=Account.Shop.listShop&ms=300&count=0").status, 200);
        for (int i = 0; i < 2; ++i) {
            const qint64 took = timed([&] { QVERIFY(isShopList(listShop())); });
            QVERIFY2(took >= 280, qPrintable(QString::number(took)));
        }
        QCOMPARE(controls().value("delays").toArray().first().toObject().value("count").toString(), QString("sticky"));
        QCOMPARE(m_gw->adminPost("/admin/reset").status, 200);
        QVERIFY(timed([&] { listShop(); }) < 250);
    }

    void cannedReplies()
    {
        const QByteArray page = "<html><body><h1>502 Bad Gateway</h1></body></html>";
        QCOMPARE(m_gw->adminPost("/admin/respond?action=Account.Shop.listShop&status=502&type=text/html", page).status,
                 200);
        Reply reply = listShop();
        QCOMPARE(reply.status, 502);
        QCOMPARE(reply.body, page);
        QVERIFY(reply.contentType.startsWith("text/html"));
        QVERIFY(isShopList(listShop())); // one turn only by default

        // Bodies a client must survive, each for the stated number of requests.
        QCOMPARE(m_gw->adminPost("/admin/respond?action=Account.Shop.listShop&count=2", "{}").status, 200);
        for (int i = 0; i < 2; ++i) {
            reply = listShop();
            QCOMPARE(reply.status, 200);
            QCOMPARE(reply.body, QByteArray("{}"));
        }
        QVERIFY(isShopList(listShop()));
        QCOMPARE(m_gw->adminPost("/admin/respond?action=Account.Shop.listShop&count=0", "not json").status, 200);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(listShop().body, QByteArray("not json"));
        QCOMPARE(m_gw->adminPost("/admin/reset").status, 200);
        QVERIFY(isShopList(listShop()));

        // "*" covers the actions without a control of their own.
        QCOMPARE(m_gw->adminPost("/admin/respond?action=*&status=503&count=2").status, 200);
        QCOMPARE(m_gw->adminPost("/admin/respond?action=Account.Shop.listShop", "X").status, 200);
        QCOMPARE(listShop().body, QByteArray("X"));
        QCOMPARE(m_gw->action("Share.App.update", {{"system", "pc"}}).status, 503);
        QCOMPARE(m_gw->action("No.Such.action").status, 503);
        QCOMPARE(m_gw->action("Share.App.update", {{"system", "pc"}}).status, 200);
    }

    void repliesCutShortOrOversized()
    {
        // Cut: the whole length announced, ten bytes sent, then the connection closed.
        const QByteArray body = R"({"content":{"listshop":[]}})";
        QCOMPARE(m_gw->adminPost("/admin/respond?action=Account.Shop.listShop&cut=10", body).status, 200);
        const QByteArray form = "version=3.0&action=Account.Shop.listShop";
        const QByteArray raw = rawExchange(m_gw->port(),
                                           "POST /api.php/Gateway/index HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                                           "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                                               QByteArray::number(form.size()) + "\r\n\r\n" + form,
                                           3000);
        const int headerEnd = raw.indexOf("\r\n\r\n");
        QVERIFY2(raw.startsWith("HTTP/1.1 200 ") && headerEnd > 0, raw.constData());
        QVERIFY2(raw.left(headerEnd).contains("Content-Length: " + QByteArray::number(body.size())), raw.constData());
        QCOMPARE(raw.mid(headerEnd + 4), body.left(10));
        QVERIFY(isShopList(listShop())); // one turn, and the server is none the worse

        // Size: a body bigger than a control may carry, built from the one given.
        QCOMPARE(m_gw->adminPost("/admin/respond?action=Account.Shop.listShop&size=10000000", "0123456789").status,
                 200);
        QCOMPARE(controls().value("replies").toArray().first().toObject().value("size").toInt(), 10000000);
        const Reply big = listShop();
        QCOMPARE(big.status, 200);
        QCOMPARE(big.body.size(), 10000000);
        QVERIFY(big.body.startsWith("01234567890123") && big.body.endsWith("789"));
    }

    void cannedReplyRunsTheActionOnlyWhenAsked()
    {
        const QString no = m_gw->rows("orders").first().toObject().value("out_trade_no").toString();
        const auto cardsOnOrder = [&] {
            return m_gw->action("Account.Pay.cards", {{"no", no.toUtf8()}}, m_token).content().value("count").toInt();
        };
        const int before = cardsOnOrder();
        const auto docard = [&](const QByteArray& card) {
            return m_gw->action("Account.Pay.docard", {{"no", no.toUtf8()}, {"card", card}}, m_token);
        };

        QCOMPARE(m_gw->adminPost("/admin/respond?action=Account.Pay.docard&status=500").status, 200);
        QCOMPARE(docard("LOST1").status, 500);
        QCOMPARE(cardsOnOrder(), before);

        // The registration is made, but its reply is lost on the way back.
        QCOMPARE(m_gw->adminPost("/admin/respond?action=Account.Pay.docard&status=500&execute=1").status, 200);
        const Reply lost = docard("LOST2");
        QCOMPARE(lost.status, 500);
        QVERIFY(lost.body.isEmpty());
        QCOMPARE(cardsOnOrder(), before + 1);
    }

    void requestLog()
    {
        const QByteArray card = "A&B=C+D%中";
        const QString no = m_gw->rows("orders").first().toObject().value("out_trade_no").toString();
        m_gw->action("Account.Pay.docard", {{"no", no.toUtf8()}, {"card", card}}, m_token);
        listShop();
        const QJsonArray logged =
            QJsonDocument::fromJson(m_gw->adminGet("/admin/requests?action=Account.Pay.docard").body).array();
        QCOMPARE(logged.size(), 1);
        const QJsonObject entry = logged.first().toObject();
        QCOMPARE(entry.value("fields").toObject().value("card").toString(), QString::fromUtf8(card));
        QCOMPARE(entry.value("fields").toObject().value("no").toString(), no);
        QVERIFY(entry.value("body").toString().contains("card=A%26B%3DC%2BD%25"));
        QCOMPARE(QJsonDocument::fromJson(m_gw->adminGet("/admin/requests").body).array().size(), 2);
        QCOMPARE(m_gw->adminPost("/admin/reset").status, 200);
        QVERIFY(QJsonDocument::fromJson(m_gw->adminGet("/admin/requests").body).array().isEmpty());
    }

    void requestLogBlanksPasswords_data()
    {
        // The secret is percent-encoded into each body; "fields" are what the log must show.
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QStringList>("fields");
        const QByteArray v = "version=3.0&action=";
        QTest::newRow("login") << v + "Share.Ace.login&uname=demo&pword=SECRET"
                               << QStringList{"uname=demo", "pword=***"};
        QTest::newRow("refund") << v + "Account.Pay.refund&token=t&refundmoney=1&tradeno=T1&cardno=&pwd=SECRET"
                                << QStringList{"tradeno=T1", "cardno=", "pwd=***"};
        QTest::newRow("login password change")
            << v + "Share.Ace.editPassword&token=t&uname=demo&pword=SECRET&re_password=SECRET&"
            << QStringList{"uname=demo", "pword=***", "re_password=***"};
        QTest::newRow("refund password change")
            << v + "Share.Ace.editRefundPassword1&token=t&uname=demo&pword=SECRET&re_password=SECRET&oldpwd=SECRET&"
            << QStringList{"pword=***", "re_password=***", "oldpwd=***"};
        QTest::newRow("security answer")
            << v + "Share.Ace.setRefundPassword&token=t&uname=demo&pword=SECRET&re_password=SECRET&answer=SECRET"
                   "&question=Q1&"
            << QStringList{"pword=***", "re_password=***", "answer=***", "question=Q1"};
        QTest::newRow("name percent-encoded") << v + "Share.Ace.login&uname=demo&p%77ord=SECRET"
                                              << QStringList{"pword=***"};
        QTest::newRow("field sent twice") << v + "Share.Ace.login&uname=demo&pword=SECRET&pword=SECRET2"
                                          << QStringList{"pword=***"};
        QTest::newRow("empty password stays empty") << v + "Share.Ace.login&pword=&uname=demo"
                                                    << QStringList{"pword=", "uname=demo"};
    }
    void requestLogBlanksPasswords()
    {
        QFETCH(QByteArray, body);
        QFETCH(QStringList, fields);
        const QByteArray secret = QUrl::toPercentEncoding(QStringLiteral("S3cr3t&=+%中"));
        QCOMPARE(m_gw->postBody(body.replace("SECRET", secret)).status, 200);
        const QJsonArray logged = QJsonDocument::fromJson(m_gw->adminGet("/admin/requests").body).array();
        QVERIFY(!logged.isEmpty());
        const QJsonObject entry = logged.last().toObject();
        for (const QString& field : fields) {
            const QJsonValue value = entry.value("fields").toObject().value(field.section('=', 0, 0));
            QCOMPARE(value.toString("(absent)"), field.section('=', 1));
        }
        // The raw body keeps no trace of it either.
        const QByteArray dump = QJsonDocument(entry).toJson();
        QVERIFY2(!dump.contains("S3cr3t"), dump.constData());
    }

    void postWithoutContentLengthHasAnEmptyBody_data()
    {
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<QByteArray>("replyPart");
        QTest::newRow("control without parameters") << QByteArray("/admin/reset") << QByteArray(R"("delays":[])");
        QTest::newRow("control with parameters")
            << QByteArray("/admin/delay?action=Account.Shop.listShop&ms=10") << QByteArray(R"("ms":10)");
        QTest::newRow("gateway action") << QByteArray("/api.php/Gateway/index")
                                        << QByteArray(R"({"content":{"code":0,"msg":"未知操作"}})");
    }
    void postWithoutContentLengthHasAnEmptyBody()
    {
        // What curl -X POST sends: no Content-Length, no body. The reply must come at once, well
        // inside the server's 5 s read timeout, and not as a 400 after it.
        QFETCH(QByteArray, target);
        QFETCH(QByteArray, replyPart);
        const QByteArray request = "POST " + target + " HTTP/1.1\r\n" + host() + "Connection: close\r\n\r\n";
        const QByteArray reply = rawExchange(m_gw->port(), request, 3000);
        QVERIFY2(reply.startsWith("HTTP/1.1 200 "), reply.constData());
        QVERIFY2(reply.contains(replyPart), reply.constData());
    }

    void controlsRefuseWebPages_data()
    {
        // Who the request says it is for (PORT: the gateway's), a browser's own headers, and what
        // the control must answer.
        QTest::addColumn<QByteArray>("hostLine");
        QTest::addColumn<QByteArray>("pageHeaders");
        QTest::addColumn<int>("status");
        QTest::newRow("loopback address") << QByteArray("Host: 127.0.0.1:PORT") << QByteArray() << 200;
        QTest::newRow("localhost") << QByteArray("Host: LocalHost:PORT") << QByteArray() << 200;
        QTest::newRow("other loopback address") << QByteArray("Host: 127.1.2.3:PORT") << QByteArray() << 200;
        QTest::newRow("IPv6 loopback") << QByteArray("Host: [::1]:PORT") << QByteArray() << 200;
        QTest::newRow("address typed into a browser")
            << QByteArray("Host: 127.0.0.1:PORT") << QByteArray("Sec-Fetch-Site: none\r\n") << 200;
        QTest::newRow("name rebound to loopback") << QByteArray("Host: shop.example:PORT") << QByteArray() << 403;
        QTest::newRow("name ending like loopback") << QByteArray("Host: 127.0.0.1.example:PORT") << QByteArray() << 403;
        QTest::newRow("name starting like loopback") << QByteArray("Host: localhost.example:PORT") << QByteArray() << 403;
        QTest::newRow("other port") << QByteArray("Host: 127.0.0.1:1") << QByteArray() << 403;
        QTest::newRow("no port") << QByteArray("Host: 127.0.0.1") << QByteArray() << 403;
        QTest::newRow("no Host") << QByteArray() << QByteArray() << 403;
        QTest::newRow("cross-site page") << QByteArray("Host: 127.0.0.1:PORT")
                                         << QByteArray("Origin: http://shop.example\r\n") << 403;
        QTest::newRow("sandboxed page") << QByteArray("Host: 127.0.0.1:PORT") << QByteArray("Origin: null\r\n") << 403;
        QTest::newRow("page on the same address")
            << QByteArray("Host: 127.0.0.1:PORT") << QByteArray("Origin: http://127.0.0.1:PORT\r\n") << 403;
        QTest::newRow("page without Origin") << QByteArray("Host: 127.0.0.1:PORT")
                                             << QByteArray("Sec-Fetch-Site: cross-site\r\n") << 403;
    }
    void controlsRefuseWebPages()
    {
        // A page's form posts text/plain, which needs no permission from the server: it would plant
        // a login reply.
        QFETCH(QByteArray, hostLine);
        QFETCH(QByteArray, pageHeaders);
        QFETCH(int, status);
        const QByteArray port = QByteArray::number(m_gw->port());
        const QByteArray planted = R"({"content":{"code":1,"token":"planted","id":"10001"}})";
        const QByteArray request = "POST /admin/respond?action=Share.Ace.login HTTP/1.1\r\n" +
                                   (hostLine.isEmpty() ? QByteArray() : hostLine.replace("PORT", port) + "\r\n") +
                                   QByteArray(pageHeaders).replace("PORT", port) +
                                   "Content-Type: text/plain\r\nConnection: close\r\nContent-Length: " +
                                   QByteArray::number(planted.size()) + "\r\n\r\n" + planted;
        const QByteArray reply = rawExchange(m_gw->port(), request, 3000);
        QVERIFY2(reply.startsWith("HTTP/1.1 " + QByteArray::number(status) + " "), reply.constData());
        QCOMPARE(controls().value("replies").toArray().size(), status == 200 ? 1 : 0);
        if (status != 200)
            QVERIFY(m_gw->login("demo", "demo123") != "planted");
    }

    void bodiesAreBounded_data()
    {
        // Each declares or streams far more than the 1 MiB a body may have.
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<bool>("streamed");
        QTest::addColumn<int>("status");
        const QByteArray respond = "POST /admin/respond?action=Account.Shop.listShop HTTP/1.1\r\n";
        const QByteArray chunked = "Transfer-Encoding: chunked\r\n";
        QTest::newRow("length declared") << respond + "Content-Length: 1048577\r\n" << false << 413;
        QTest::newRow("length beyond any number")
            << respond + "Content-Length: 99999999999999999999999\r\n" << false << 413;
        QTest::newRow("chunked control") << respond + chunked << true << 413;
        QTest::newRow("chunked action") << "POST /api.php/Gateway/index HTTP/1.1\r\n" + chunked << true << 413;
        QTest::newRow("chunked to no route") << "POST /nowhere HTTP/1.1\r\n" + chunked << true << 413;
        QTest::newRow("chunked PUT") << "PUT /admin/respond?action=Account.Shop.listShop HTTP/1.1\r\n" + chunked
                                     << true << 405;
    }
    void bodiesAreBounded()
    {
        QFETCH(QByteArray, head);
        QFETCH(bool, streamed);
        QFETCH(int, status);
        // 128 MiB in chunks of 1 MiB; what the sockets buffer on the way is a small part of it.
        const QByteArray chunk = "100000\r\n" + QByteArray(1 << 20, 'x') + "\r\n";
        qint64 sent = 0;
        const QByteArray reply = rawExchange(m_gw->port(), head + host() + "\r\n", 5000, chunk,
                                             streamed ? qint64(128) << 20 : 0, &sent);
        QVERIFY2(reply.startsWith("HTTP/1.1 " + QByteArray::number(status) + " "), reply.left(200).constData());
        QVERIFY2(sent < qint64(64) << 20, qPrintable(QString("the gateway read %1 MiB").arg(sent >> 20)));
        QVERIFY(controls().value("replies").toArray().isEmpty());
        QVERIFY(isShopList(listShop()));
    }

    void badControlParametersAreRefused_data()
    {
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QByteArray>("target");
        QTest::newRow("delay without action") << QByteArray("POST") << QByteArray("/admin/delay?seconds=1");
        QTest::newRow("delay without time") << QByteArray("POST") << QByteArray("/admin/delay?action=x");
        QTest::newRow("delay not a number") << QByteArray("POST") << QByteArray("/admin/delay?action=x&seconds=abc");
        QTest::newRow("delay negative") << QByteArray("POST") << QByteArray("/admin/delay?action=x&ms=-5");
        QTest::newRow("count not a number")
            << QByteArray("POST") << QByteArray("/admin/delay?action=x&seconds=1&count=once");
        QTest::newRow("status out of range") << QByteArray("POST") << QByteArray("/admin/respond?action=x&status=99");
        QTest::newRow("size too large") << QByteArray("POST") << QByteArray("/admin/respond?action=x&size=100000000");
        QTest::newRow("cut not a number") << QByteArray("POST") << QByteArray("/admin/respond?action=x&cut=half");
        QTest::newRow("version without code") << QByteArray("POST") << QByteArray("/admin/version");
        QTest::newRow("table not offered") << QByteArray("GET") << QByteArray("/admin/rows?table=sqlite_master");
        QTest::newRow("print orders of nobody") << QByteArray("POST") << QByteArray("/admin/print-orders?uname=nobody");
    }
    void badControlParametersAreRefused()
    {
        QFETCH(QByteArray, method);
        QFETCH(QByteArray, target);
        const Reply reply = method == "GET" ? m_gw->adminGet(target) : m_gw->adminPost(target, "{}");
        QCOMPARE(reply.status, 400);
        QVERIFY(!reply.json().value("error").toString().isEmpty());
        QVERIFY(controls().value("delays").toArray().isEmpty());
        QVERIFY(controls().value("replies").toArray().isEmpty());
    }

    void restartKeepsState()
    {
        const QString no = m_gw->rows("orders").first().toObject().value("out_trade_no").toString();
        QCOMPARE(m_gw->action("Account.Pay.docard", {{"no", no.toUtf8()}, {"card", "重启前"}}, m_token).status, 200);
        QCOMPARE(m_gw->adminPost("/admin/version?code=3.0.7").status, 200);
        QCOMPARE(m_gw->adminPost("/admin/print-orders", R"({"order_num":"R1"})", "application/json").status, 200);
        QCOMPARE(m_gw->action("Account.Print.orders", {}, m_token).content().value("num").toString(), QString("1"));
        QCOMPARE(m_gw->adminPost("/admin/delay?action=Account.Shop.listShop&seconds=5&count=0").status, 200);
        const QByteArray orders = QJsonDocument(m_gw->rows("orders")).toJson();
        const QByteArray users = QJsonDocument(m_gw->rows("users")).toJson();

        QVERIFY(m_gw->stop());
        QVERIFY2(m_gw->start(), qPrintable(m_gw->log()));

        QCOMPARE(QJsonDocument(m_gw->rows("orders")).toJson(), orders); // not seeded a second time
        QCOMPARE(QJsonDocument(m_gw->rows("users")).toJson(), users);
        QVERIFY(isShopList(listShop())); // the token is still good; controls are not kept
        const QJsonArray cards =
            m_gw->action("Account.Pay.cards", {{"no", no.toUtf8()}}, m_token).content().value("cards").toArray();
        QCOMPARE(cards.last().toObject().value("cardno").toString(), QString("重启前"));
        QCOMPARE(m_gw->action("Share.App.update", {{"system", "pc"}}).content().value("version_code").toString(),
                 QString("3.0.7"));
        QCOMPARE(m_gw->action("Account.Print.orders", {}, m_token).content().value("num").toString(), QString("0"));
        QCOMPARE(m_gw->adminPost("/admin/version?code=3.0.1").status, 200);
    }

    void stopsPromptlyWhileAnActionWaits()
    {
        QCOMPARE(m_gw->adminPost("/admin/delay?action=Account.Shop.listShop&seconds=60").status, 200);
        auto slow = std::async(std::launch::async, [&] { return listShop(); });
        QTest::qSleep(300);
        QElapsedTimer clock;
        clock.start();
        QVERIFY2(m_gw->stop(5000), qPrintable(m_gw->log()));
        QVERIFY(clock.elapsed() < 5000);
        slow.wait();
        QVERIFY2(m_gw->start(), qPrintable(m_gw->log()));
    }

    void refusesControlsFromOtherHosts()
    {
        const QByteArray address = outsideAddress();
        if (address.isEmpty())
            QSKIP("this machine has no address besides loopback");
        GatewayProcess open(m_dir.filePath("open.db"), {"--host", "0.0.0.0"});
        QVERIFY2(open.start(), qPrintable(open.log()));
        const auto outside = getFrom(address, open.port(), "/admin/controls");
        QVERIFY(outside);
        QCOMPARE(outside->status, 403);
        QCOMPARE(getFrom("127.0.0.1", open.port(), "/admin/controls")->status, 200);
        // The gateway itself answers everyone.
        httplib::Client cli(address.toStdString(), open.port());
        const auto login = cli.Post(
            "/api.php/Gateway/index",
            GatewayProcess::encodeBody("Share.Ace.login", {{"uname", "demo"}, {"pword", "demo123"}}, QByteArray())
                .toStdString(),
            "application/x-www-form-urlencoded");
        QVERIFY(login);
        QCOMPARE(login->status, 200);
        QVERIFY(open.stop());
    }

    void servesHttps()
    {
        const QString openssl = QStandardPaths::findExecutable("openssl");
        if (openssl.isEmpty())
            QSKIP("no openssl command to make a certificate with");
        const QString cert = m_dir.filePath("cert.pem"), key = m_dir.filePath("key.pem");
        QCOMPARE(QProcess::execute(openssl, {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out",
                                             cert, "-days", "2", "-subj", "/CN=127.0.0.1"}),
                 0);
        GatewayProcess secure(m_dir.filePath("secure.db"), {"--cert", cert, "--key", key});
        QVERIFY2(secure.start(), qPrintable(secure.log()));
        QVERIFY(!secure.login("demo", "demo123").isEmpty());
        QVERIFY(!getFrom("127.0.0.1", secure.port(), "/admin/controls")); // no plain HTTP on that port
        QVERIFY(secure.stop());

        GatewayProcess broken(m_dir.filePath("broken.db"), {"--cert", key, "--key", cert});
        QVERIFY(!broken.start());
    }

    void commandLine()
    {
        const QString program = qEnvironmentVariable("DEMO_GATEWAY");
        QProcess help;
        help.start(program, {"--help"});
        QVERIFY(help.waitForFinished(5000));
        QCOMPARE(help.exitCode(), 0);
        QVERIFY(help.readAllStandardOutput().contains("--port"));

        for (const QStringList& wrong : {QStringList{"--bogus"}, QStringList{"--port", "70000"}, QStringList{"--port"},
                                         QStringList{"--cert", "c.pem"}}) {
            QProcess run;
            run.start(program, wrong);
            QVERIFY(run.waitForFinished(5000));
            QCOMPARE(run.exitCode(), 2);
        }
        QProcess noDatabase;
        noDatabase.start(program, {"--port", "0", "--db", m_dir.filePath("missing/dir/gateway.db")});
        QVERIFY(noDatabase.waitForFinished(5000));
        QCOMPARE(noDatabase.exitCode(), 1);
        QVERIFY(noDatabase.readAllStandardOutput().isEmpty()); // no port line when it cannot serve
    }
};

QTEST_GUILESS_MAIN(TestDemoGatewayControls)
#include "test_demo_gateway_controls.moc"
