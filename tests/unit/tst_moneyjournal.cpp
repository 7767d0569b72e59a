// The journal of money operations whose outcome is not known: what survives a restart, and what a
// damaged or unwritable file does.

#include "net/MoneyJournal.h"

#include <QtTest>

class TestMoneyJournal : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const char* name) const { return m_dir.filePath(QLatin1String(name)); }
    static MoneyJournal& journal() { return MoneyJournal::instance(); }

private slots:
    void survivesARestartUntilResolved()
    {
        MoneyJournal::setPathForTesting(path("journal.json"));
        MoneyJournal::Entry charge = MoneyJournal::newEntry(MoneyJournal::Kind::Charge, "1001", 2345);
        MoneyJournal::Entry refund = MoneyJournal::newEntry(MoneyJournal::Kind::Refund, "1001", 500);
        refund.outTradeNo = "P1";
        refund.refundedFen = 100;
        QVERIFY(journal().add(charge));
        QVERIFY(journal().add(refund));
        charge.declined << "X1";
        QVERIFY(journal().update(charge));
        QVERIFY(journal().noteCompleted("P9"));

        // What the next start reads.
        MoneyJournal::setPathForTesting(path("journal.json"));
        QString problem;
        QVERIFY(journal().load(&problem));
        const QVector<MoneyJournal::Entry> charges = journal().unresolved(MoneyJournal::Kind::Charge, "1001");
        QCOMPARE(charges.size(), 1);
        QCOMPARE(charges.at(0).id, charge.id);
        QCOMPARE(charges.at(0).fen, qint64(2345));
        QCOMPARE(charges.at(0).sentAt, charge.sentAt.toUTC().addMSecs(-charge.sentAt.time().msec()));
        QCOMPARE(charges.at(0).declined, QStringList{"X1"});
        QVERIFY(journal().unresolved(MoneyJournal::Kind::Charge, "1002").isEmpty());
        QCOMPARE(journal().unresolvedRefund("P1").refundedFen, qint64(100));
        QVERIFY(journal().completedPayments().contains("P9"));

        QVERIFY(journal().resolve(charge.id));
        MoneyJournal::setPathForTesting(path("journal.json"));
        QVERIFY(journal().unresolved(MoneyJournal::Kind::Charge).isEmpty());
        QVERIFY(journal().unresolvedRefund("P1").isValid());
    }

    void aDamagedJournalIsKeptAsideAndReported()
    {
        // Cut off in the middle of an entry, as a disk that filled up might leave it.
        const QByteArray garbage = "{\"format\":1,\"entries\":[{\"kind\":\"charge\",\"id\":\"a\",\"fen\":\"12";
        {
            QFile file(path("damaged.json"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(garbage);
        }
        MoneyJournal::setPathForTesting(path("damaged.json"));
        QString problem;
        QVERIFY(!journal().load(&problem));
        QVERIFY2(problem.startsWith(path("damaged.json.damaged-")), qPrintable(problem));
        QFile aside(problem);
        QVERIFY(aside.open(QIODevice::ReadOnly));
        QCOMPARE(aside.readAll(), garbage);
        // The journal goes on, empty, in a new file.
        QVERIFY(journal().add(MoneyJournal::newEntry(MoneyJournal::Kind::Charge, "1001", 1)));
        QVERIFY(QFile::exists(path("damaged.json")));
    }

    void anUnwritableJournalRefusesTheOperation()
    {
        // A folder that is gone (a removed drive, say): nothing can be written, so no money request
        // may leave.
        MoneyJournal::setPathForTesting(path("gone/journal.json"));
        QVERIFY(journal().load());
        QVERIFY(!journal().add(MoneyJournal::newEntry(MoneyJournal::Kind::Charge, "1001", 1)));
        QVERIFY(journal().unresolved(MoneyJournal::Kind::Charge).isEmpty());
        MoneyJournal::setPathForTesting(QString());
    }
};

QTEST_GUILESS_MAIN(TestMoneyJournal)
#include "tst_moneyjournal.moc"
