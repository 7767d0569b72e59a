// The images and icon the windows' style sheets name, loaded from the resource tree the program
// itself is built with.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QMovie>
#include <QtTest>

namespace {
const QStringList kImages = {
    "query_three_pre.png",
    "loading.gif",
    "loading.png",
    "close_nor.png",
    "clean_nor.png",
    "checkbox_nor.png",
    "ysq_sk_nor.png",
    "ysq_jd_nor.png",
    "ysq_dj_nor.png",
    "set_btn_nor.png",
    "sjxx.png",
    "login_user.png",
    "query_three_nor.png",
    "set_btn_pre.png",
    "ysq_jd_pre.png",
    "ysq_sk_pre.png",
    "ysq_dj_pre.png",
    "float_logo.png",
    "checkbox_pre.png",
    "clean_pre.png",
    "close_pre.png",
    "query_seven_nor.png",
    "query_nor.png",
    "ysq_nor.png",
    "smsk.png",
    "pc_logo.png",
    "pay_succeed.png",
    "jycx_pressed.png",
    "sjxx_pressed.png",
    "tghx_pressed.png",
    "sk_nor.png",
    "main_bg.png",
    "min_nor.png",
    "num_nor.png",
    "btn_nom.jpg",
    "btn_nor.jpg",
    "equ_nor.png",
    "Logo.png",
    "login_password.png",
    "ysq_pre.png",
    "waitForPay.png",
    "query_seven_pre.png",
    "query_pre.png",
    "btn_pre.png",
    "equ_pre.png",
    "num_pre.png",
    "min_pre.png",
    "sk_pre.png",
    "print_pre.png",
    "create.png",
    "calculator_pre.png",
    "hycz_pressed.png",
    "print_nor.png",
    "calculator.png",
    "smsk_pressed.png",
    "login_bg.png",
    "query_month_pre.png",
    "hygl_pressed.png",
    "select_shop_pre.png",
    "tghx.png",
    "fawn_face.png",
    "login_btn_pre.png",
    "login_btn.png",
    "select_shop_nor.png",
    "jycx.png",
    "hycz.png",
    "query_month_nor.png",
    "hygl.png",
};

// Button images: the first of each pair is the normal state, the second the pressed (or checked) one.
const QList<QPair<QString, QString>> kStatePairs = {
    {"close_nor.png", "close_pre.png"},
    {"min_nor.png", "min_pre.png"},
    {"set_btn_nor.png", "set_btn_pre.png"},
    {"clean_nor.png", "clean_pre.png"},
    {"checkbox_nor.png", "checkbox_pre.png"},
    {"num_nor.png", "num_pre.png"},
    {"equ_nor.png", "equ_pre.png"},
    {"sk_nor.png", "sk_pre.png"},
    {"print_nor.png", "print_pre.png"},
    {"query_nor.png", "query_pre.png"},
    {"select_shop_nor.png", "select_shop_pre.png"},
    {"calculator.png", "calculator_pre.png"},
    {"login_btn.png", "login_btn_pre.png"},
    {"btn_nor.jpg", "btn_pre.png"},
    {"btn_nom.jpg", "btn_nor.jpg"},
    {"query_three_nor.png", "query_three_pre.png"},
    {"query_seven_nor.png", "query_seven_pre.png"},
    {"query_month_nor.png", "query_month_pre.png"},
    {"ysq_nor.png", "ysq_pre.png"},
    {"ysq_sk_nor.png", "ysq_sk_pre.png"},
    {"ysq_jd_nor.png", "ysq_jd_pre.png"},
    {"ysq_dj_nor.png", "ysq_dj_pre.png"},
    {"smsk.png", "smsk_pressed.png"},
    {"jycx.png", "jycx_pressed.png"},
    {"sjxx.png", "sjxx_pressed.png"},
    {"tghx.png", "tghx_pressed.png"},
    {"hycz.png", "hycz_pressed.png"},
    {"hygl.png", "hygl_pressed.png"},
};

// Mean absolute difference per channel, after scaling both to the same size.
double difference(QImage a, QImage b)
{
    a = a.convertToFormat(QImage::Format_ARGB32).scaled(64, 64);
    b = b.convertToFormat(QImage::Format_ARGB32).scaled(64, 64);
    double sum = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q)) +
                   qAbs(qAlpha(p) - qAlpha(q));
        }
    return sum / (64.0 * 64.0 * 4.0);
}

QImage load(const QString& name)
{
    return QImage(QStringLiteral(":/images/") + name);
}
} // namespace

class TestResources : public QObject
{
    Q_OBJECT

private slots:
    void exactlyTheNamedImagesAreThere()
    {
        QStringList present = QDir(":/images").entryList(QDir::Files);
        QStringList expected = kImages;
        present.sort();
        expected.sort();
        QCOMPARE(present, expected);
        QCOMPARE(kImages.size(), 68);
    }

    void everyImageLoads()
    {
        for (const QString& name : kImages) {
            QImageReader reader(QStringLiteral(":/images/") + name);
            const QByteArray format = reader.format();
            const QImage image = reader.read();
            QVERIFY2(!image.isNull(), qPrintable(name + ": " + reader.errorString()));
            QVERIFY2(image.width() >= 8 && image.height() >= 8, qPrintable(name));
            // The file is what its name says, not a PNG renamed.
            QCOMPARE(format, name.section('.', -1).replace("jpg", "jpeg").toLatin1());
        }
    }

    void loadingAnimationMoves()
    {
        QMovie movie(":/images/loading.gif");
        QVERIFY(movie.isValid());
        QVERIFY2(movie.frameCount() >= 4, qPrintable(QString::number(movie.frameCount())));
        // GIF frames can only be read in order.
        QVERIFY(movie.jumpToNextFrame());
        const QImage first = movie.currentImage();
        for (int i = 0; i < movie.frameCount() / 2; ++i)
            QVERIFY(movie.jumpToNextFrame());
        QVERIFY(difference(first, movie.currentImage()) > 1.0);
    }

    void iconCarriesSeveralSizes()
    {
        QImageReader reader(":/icon/setup.ico");
        QVERIFY2(reader.canRead(), qPrintable(reader.errorString()));
        QSet<int> sizes;
        for (int i = 0; i < reader.imageCount(); ++i) {
            QVERIFY(reader.jumpToImage(i));
            const QImage image = reader.read();
            QVERIFY(!image.isNull());
            sizes.insert(image.width());
        }
        for (int wanted : {16, 32, 48, 256})
            QVERIFY2(sizes.contains(wanted), qPrintable(QString::number(wanted)));
    }

    void pressedStatesLookDifferent()
    {
        for (const auto& pair : kStatePairs) {
            const double d = difference(load(pair.first), load(pair.second));
            QVERIFY2(d > 4.0, qPrintable(QString("%1 vs %2: %3").arg(pair.first, pair.second).arg(d)));
        }
    }

    void tabIndicatorsHaveTheirFixedSize()
    {
        for (const char* name :
             {"smsk.png", "smsk_pressed.png", "jycx.png", "jycx_pressed.png", "sjxx.png", "sjxx_pressed.png",
              "tghx.png", "tghx_pressed.png", "hycz.png", "hycz_pressed.png", "hygl.png", "hygl_pressed.png"})
            QCOMPARE(load(name).size(), QSize(85, 100));
        QCOMPARE(load("fawn_face.png").size(), QSize(120, 120));
    }
};

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
