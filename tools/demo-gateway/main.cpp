// demo-gateway: a stand-in for the payment gateway, so that a whole shift can be run on one machine
// and the end-to-end tests talk real HTTP. See README.md.

#include "Admin.h"
#include "Controls.h"
#include "Gateway.h"
#include "PostRoute.h"
#include "Store.h"

#include <httplib.h>

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

namespace {

const char* const kUsage = R"(usage: demo-gateway [options]

  --host ADDRESS   address to listen on (default 127.0.0.1)
  --port N         port to listen on; 0 picks a free one (default 8080)
  --db FILE        SQLite database; created with demo data when new (default demo-gateway.db)
  --cert FILE      serve HTTPS with this certificate (PEM) ...
  --key FILE       ... and this private key (PEM)
  --quiet          do not log each request on stderr
  --log-passwords  keep passwords in clear in the request log of /admin/requests
                   (for tests that check what a client sent; never with real ones)
  --help           show this text

The first line written to stdout is the port the gateway listens on.
Actions are posted to /api.php/Gateway/index; test controls live under /admin/.
)";

struct Options
{
    std::string host = "127.0.0.1";
    int port = 8080;
    std::string db = "demo-gateway.db";
    std::string cert;
    std::string key;
    bool quiet = false;
    bool logPasswords = false;
};

[[noreturn]] void usageError(const std::string& message)
{
    std::fprintf(stderr, "demo-gateway: %s\n\n%s", message.c_str(), kUsage);
    std::exit(2);
}

Options parseOptions(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                usageError(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        } else if (arg == "--host") {
            options.host = value();
        } else if (arg == "--port") {
            const std::string text = value();
            char* end = nullptr;
            const long port = std::strtol(text.c_str(), &end, 10);
            if (text.empty() || *end != '\0' || port < 0 || port > 65535)
                usageError("not a port: " + text);
            options.port = static_cast<int>(port);
        } else if (arg == "--db") {
            options.db = value();
        } else if (arg == "--cert") {
            options.cert = value();
        } else if (arg == "--key") {
            options.key = value();
        } else if (arg == "--quiet") {
            options.quiet = true;
        } else if (arg == "--log-passwords") {
            options.logPasswords = true;
        } else {
            usageError("unknown option " + arg);
        }
    }
    if (options.cert.empty() != options.key.empty())
        usageError("--cert and --key go together");
    return options;
}

std::unique_ptr<httplib::Server> makeServer(const Options& options)
{
    if (options.cert.empty())
        return std::make_unique<httplib::Server>();
    auto server = std::make_unique<httplib::SSLServer>(options.cert.c_str(), options.key.c_str());
    if (!server->is_valid()) {
        std::fprintf(stderr, "demo-gateway: cannot use certificate %s with key %s\n", options.cert.c_str(),
                     options.key.c_str());
        std::exit(1);
    }
    return server;
}

} // namespace

int main(int argc, char** argv)
{
    const Options options = parseOptions(argc, argv);

    // SIGINT and SIGTERM are taken by one thread with sigwait(), which stops the server from outside
    // any signal handler. Blocked before any other thread starts, so every thread inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    std::unique_ptr<Store> store;
    try {
        store = std::make_unique<Store>(options.db);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "demo-gateway: %s\n", error.what());
        return 1;
    }

    Controls controls;
    Gateway gateway(*store, controls, !options.quiet, options.logPasswords);
    std::unique_ptr<httplib::Server> server = makeServer(options);
    server->set_tcp_nodelay(true);
    server->set_keep_alive_max_count(1000);
    server->set_payload_max_length(kMaxBodyBytes);
    // Slow-action controls hold a worker each while they wait; keep plenty for everyone else.
    server->new_task_queue = [] { return new httplib::ThreadPool(32); };
    server->set_pre_routing_handler([](const httplib::Request& request, httplib::Response& response) {
        return refusedBody(request, response) || refusedAdminRequest(request, response)
                   ? httplib::Server::HandlerResponse::Handled
                   : httplib::Server::HandlerResponse::Unhandled;
    });
    postRoute(*server, "/api.php/Gateway/index",
              [&](const httplib::Request& request, httplib::Response& response) { gateway.handle(request, response); });
    registerAdminRoutes(*server, gateway, controls);
    postFallback(*server);

    int port = options.port;
    if (port == 0)
        port = server->bind_to_any_port(options.host);
    else if (!server->bind_to_port(options.host, port))
        port = -1;
    if (port <= 0) {
        std::fprintf(stderr, "demo-gateway: cannot listen on %s port %d\n", options.host.c_str(), options.port);
        return 1;
    }
    std::printf("%d\n", port);
    std::fflush(stdout);
    std::fprintf(stderr, "demo-gateway: %s://%s:%d/api.php/Gateway/index, database %s\n",
                 options.cert.empty() ? "http" : "https", options.host.c_str(), port, options.db.c_str());

    std::atomic<bool> listening{true};
    std::thread stopper([&] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        controls.stop();
        // stop() does nothing until the accept loop runs; a signal that comes first is not lost.
        while (listening) {
            server->stop();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    const bool ok = server->listen_after_bind();
    listening = false;
    pthread_kill(stopper.native_handle(), SIGTERM); // ends the stopper if the server ended by itself
    stopper.join();
    std::fprintf(stderr, "demo-gateway: stopped\n");
    return ok ? 0 : 1;
}
