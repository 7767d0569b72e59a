// data.ini as any bytes on disk (GB2312 or not, INI or not): every getter reads it within its
// promises, and a setting saved over a damaged file is read back.

#include "FuzzSupport.h"

#include "config/DataConfig.h"

#include <QDateTime>
#include <QFile>
#include <QGuiApplication>

// The program reads data.ini with its application running, as here: QSettings turns a value
// written "@Variant(...)" into whatever type it names, an image among them, and an image needs the
// application (without one Qt aborts, which the program never meets).
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // QSettings keeps what it parsed per file name in the process and reads the file again only
    // when its size or time changed: every input gets a time of its own.
    static qint64 round = 0;
    const QString fileName = fuzz::scratchPath(QStringLiteral("data.ini"));
    {
        QFile file(fileName);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                   file.write(fuzz::bytes(data, size)) == qint64(size) && file.flush() &&
                   file.setFileTime(QDateTime::fromSecsSinceEpoch(++round), QFileDevice::FileModificationTime));
    }
    {
        DataConfig config(fileName);
        config.getCheck();
        config.getPrinterName();
        config.getShopName();
        FUZZ_CHECK(config.getUser().size() == 3);
        config.getCheckUpdata();
        config.getGatewayUrl();
        FUZZ_CHECK(!config.getServiceHotline().isEmpty());
        const int poll = config.getPrintPollSeconds();
        FUZZ_CHECK(poll == 0 || poll >= 5);

        const QString shop = QStringLiteral("青禾茶餐厅  西湖文化广场店");
        FUZZ_CHECK(config.setShopName(shop));
        FUZZ_CHECK(config.getShopName() == shop);
    }
    return 0;
}
