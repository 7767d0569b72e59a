// Round-trip time of one gateway action through HttpFun on loopback, for each way of reaching the
// network, against a raw baseline: one POST written in a single write on a fresh socket.
//
//   build/bench/bench_httpfun [requests]

#include "net/GatewayRequests.h"
#include "net/HttpFun.h"

#include "DemoGateway.h"
#include "RawPost.h"
#include "Samples.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
struct Stats
{
    double median = 0;
    double p90 = 0;
    int failures = 0;
};

Stats summarise(const std::vector<double>& samples, int failures)
{
    return Stats{median(samples), percentile(samples, 0.9), failures};
}

Stats measureRaw(quint16 port, const QByteArray& body, int requests)
{
    std::vector<double> samples;
    int failures = 0;
    for (int i = 0; i < requests; ++i) {
        QElapsedTimer clock;
        clock.start();
        if (rawPost(port, body).isNull())
            ++failures;
        samples.push_back(clock.nsecsElapsed() / 1e6);
    }
    return summarise(samples, failures);
}

Stats measureHttpFun(const QString& url, const QByteArray& body, int requests,
                     HttpFun::Effect effect = HttpFun::Effect::Changes)
{
    std::vector<double> samples;
    int failures = 0;
    for (int i = 0; i < requests; ++i) {
        QEventLoop loop;
        bool success = false;
        auto* request = new HttpFun;
        QObject::connect(request, &HttpFun::signal_requestFinished, &loop, [&](bool ok, const QByteArray&) {
            success = ok;
            loop.quit();
        });
        QElapsedTimer clock;
        clock.start();
        request->post(url, body, effect);
        loop.exec();
        samples.push_back(clock.nsecsElapsed() / 1e6);
        if (!success)
            ++failures;
        // Let the request delete itself before the next one.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return summarise(samples, failures);
}

void print(const char* name, const Stats& s, const Stats& base)
{
    std::printf("%-26s median %7.3f ms  p90 %7.3f ms  ratio %5.2fx / %5.2fx  failures %d\n", name, s.median, s.p90,
                s.median / base.median, s.p90 / base.p90, s.failures);
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int requests = argc > 1 ? std::max(10, atoi(argv[1])) : 200;

    DemoGateway gateway;
    if (!gateway.start()) {
        std::fprintf(stderr, "demo gateway: %s\n", qPrintable(gateway.error()));
        return 1;
    }
    const QByteArray body = gateway::updateBody();

    // Warm up the server and the process.
    measureRaw(gateway.port(), body, 20);
    HttpFun::setManagerPolicy(HttpFun::ManagerPolicy::PerRequest);
    measureHttpFun(gateway.url(), body, 20);

    const Stats raw = measureRaw(gateway.port(), body, requests);
    HttpFun::setManagerPolicy(HttpFun::ManagerPolicy::PerRequest);
    const Stats perRequest = measureHttpFun(gateway.url(), body, requests);
    HttpFun::setManagerPolicy(HttpFun::ManagerPolicy::Shared);
    const Stats sharedChange = measureHttpFun(gateway.url(), body, requests);
    const Stats sharedRead = measureHttpFun(gateway.url(), body, requests, HttpFun::Effect::ReadsOnly);
    HttpFun::setManagerPolicy(HttpFun::ManagerPolicy::SharedFreshConnection);
    const Stats sharedFresh = measureHttpFun(gateway.url(), body, requests);

    std::printf("%d requests of Share.App.update on loopback\n", requests);
    print("raw, one write, fresh", raw, raw);
    print("HttpFun, per-request", perRequest, raw);
    print("HttpFun, a change", sharedChange, raw);
    print("HttpFun, a read, kept", sharedRead, raw);
    print("HttpFun, shared, fresh", sharedFresh, raw);
    // For scripts/bench: the program's way, a change on a connection of its own as the baseline's.
    std::printf("result httpfun %.3f %.3f\n", sharedChange.median, raw.median);
    return raw.failures + perRequest.failures + sharedChange.failures + sharedRead.failures + sharedFresh.failures > 0
               ? 1
               : 0;
}
