// Round-trip time of one gateway action through HttpFun on loopback, for each way of reaching the
// network, against a raw baseline: one POST written in a single write on a fresh socket.
//
//   build/bench/bench_httpfun [requests]

#include "net/GatewayRequests.h"
#include "net/HttpFun.h"

#include "DemoGateway.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
struct Stats
{
    double median = 0;
    double p90 = 0;
    int failures = 0;
};

Stats summarise(std::vector<double> samples, int failures)
{
    std::sort(samples.begin(), samples.end());
    Stats s;
    s.failures = failures;
    if (!samples.empty()) {
        s.median = samples[samples.size() / 2];
        s.p90 = samples[std::min(samples.size() - 1, samples.size() * 9 / 10)];
    }
    return s;
}

// One POST on a fresh connection, headers and body in a single write; reads the whole reply.
bool rawPost(quint16 port, const QByteArray& body)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    const QByteArray request = "POST /api.php/Gateway/index HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                               "Content-Type: application/x-www-form-urlencoded\r\nConnection: close\r\n"
                               "Content-Length: " +
                               QByteArray::number(body.size()) + "\r\n\r\n" + body;
    ok = ok && ::write(fd, request.constData(), size_t(request.size())) == request.size();
    QByteArray reply;
    char buffer[4096];
    ssize_t n = 0;
    while (ok && (n = ::read(fd, buffer, sizeof buffer)) > 0)
        reply.append(buffer, int(n));
    ::close(fd);
    return ok && reply.startsWith("HTTP/1.1 200");
}

Stats measureRaw(quint16 port, const QByteArray& body, int requests)
{
    std::vector<double> samples;
    int failures = 0;
    for (int i = 0; i < requests; ++i) {
        QElapsedTimer clock;
        clock.start();
        if (!rawPost(port, body))
            ++failures;
        samples.push_back(clock.nsecsElapsed() / 1e6);
    }
    return summarise(samples, failures);
}

Stats measureHttpFun(const QString& url, const QByteArray& body, int requests)
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
        request->post(url, body);
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
    const Stats shared = measureHttpFun(gateway.url(), body, requests);
    HttpFun::setManagerPolicy(HttpFun::ManagerPolicy::SharedFreshConnection);
    const Stats sharedFresh = measureHttpFun(gateway.url(), body, requests);

    std::printf("%d requests of Share.App.update on loopback\n", requests);
    print("raw, one write, fresh", raw, raw);
    print("HttpFun, per-request", perRequest, raw);
    print("HttpFun, shared keep-alive", shared, raw);
    print("HttpFun, shared, fresh", sharedFresh, raw);
    return raw.failures + perRequest.failures + shared.failures + sharedFresh.failures > 0 ? 1 : 0;
}
