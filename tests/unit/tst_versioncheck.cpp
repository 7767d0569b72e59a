#include "net/GatewayReply.h"
#include "net/VersionCheck.h"

#include <QtTest>

class TestVersionCheck : public QObject
{
    Q_OBJECT

private slots:
    void offeredVersionComparedByNumbers_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("offered");
        QTest::addColumn<QString>("current");
        auto row = [](const char* name, const char* content, bool offered, const char* current = "3.0.1") {
            QTest::newRow(name) << QByteArray("{\"content\":") + content + "}" << offered << QString(current);
        };
        row("next patch", "{\"code\":1,\"version_code\":\"3.0.2\"}", true);
        row("two-digit patch sorts after", "{\"code\":1,\"version_code\":\"3.0.10\"}", true);
        row("next minor", "{\"code\":1,\"version_code\":\"3.1.0\"}", true);
        row("same version", "{\"code\":1,\"version_code\":\"3.0.1\"}", false);
        row("older patch", "{\"code\":1,\"version_code\":\"3.0.0\"}", false);
        row("older minor", "{\"code\":1,\"version_code\":\"2.9.9\"}", false);
        row("ten is after three", "{\"code\":1,\"version_code\":\"10.0.0\"}", true);
        row("3.0.10 after 3.0.2", "{\"code\":1,\"version_code\":\"3.0.10\"}", true, "3.0.2");
        row("3.0.2 before 3.0.10", "{\"code\":1,\"version_code\":\"3.0.2\"}", false, "3.0.10");
        row("trailing zero part", "{\"code\":1,\"version_code\":\"3.0.1.0\"}", false);
        row("leading zeros", "{\"code\":1,\"version_code\":\"3.0.01\"}", false);
        row("not a version", "{\"code\":1,\"version_code\":\"abc\"}", false);
        row("huge part", "{\"code\":1,\"version_code\":\"3.0.99999999999999999999999\"}", true);
        row("longer same prefix", "{\"code\":1,\"version_code\":\"3.0.1.1\"}", true);
        row("capital letters sort first", "{\"code\":1,\"version_code\":\"3.0.1A\"}", true);
        row("no version offered", "{\"code\":0,\"version_code\":\"9.9.9\"}", false);
        row("code missing", "{\"version_code\":\"9.9.9\"}", false);
        row("code as text", "{\"code\":\"1\",\"version_code\":\"3.0.2\"}", true);
        row("version missing", "{\"code\":1}", false);
        row("version as number", "{\"code\":1,\"version_code\":4}", true);
        row("empty", "{}", false);
    }
    void offeredVersionComparedByNumbers()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, offered);
        QFETCH(QString, current);
        QCOMPARE(gateway::offersNewerVersion(gateway::replyContent(reply), current), offered);
    }
};

QTEST_GUILESS_MAIN(TestVersionCheck)
#include "tst_versioncheck.moc"
