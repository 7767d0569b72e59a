// A second running copy, as far as the hot key is concerned: claims Alt+Z through the same code the
// cashier uses, in its own process and X connection. Reports on stdout, one line each:
//   "Registered" / "Taken" / "Unsupported"   the result of a claim (one at start-up)
//   "activated"                                every press it receives
//   "released"                                 after "release" on stdin
// Reads "register" and "release" on stdin; ends when stdin closes, still holding the key if it
// had it.

#include "platform/GlobalHotKey.h"

#include <QGuiApplication>
#include <QSocketNotifier>

#include <cstdio>
#include <unistd.h>

namespace {
void say(const char* line)
{
    std::printf("%s\n", line);
    std::fflush(stdout);
}

const char* statusName(platform::HotKeyStatus status)
{
    switch (status) {
    case platform::HotKeyStatus::Registered:
        return "Registered";
    case platform::HotKeyStatus::Taken:
        return "Taken";
    case platform::HotKeyStatus::Unsupported:
        return "Unsupported";
    }
    return "?";
}
} // namespace

int main(int argc, char** argv)
{
    // Declared before the application, so it outlives it as a hot key held by a global would.
    std::unique_ptr<platform::GlobalHotKey> hotKey;
    QGuiApplication app(argc, argv);
    hotKey = platform::createGlobalHotKey();
    QObject::connect(hotKey.get(), &platform::GlobalHotKey::activated, [] { say("activated"); });
    say(statusName(hotKey->registerHotKey()));

    QByteArray pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[256];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            input.setEnabled(false);
            app.quit();
            return;
        }
        pending.append(buffer, int(n));
        int end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QByteArray command = pending.left(end).trimmed();
            pending.remove(0, end + 1);
            if (command == "register") {
                say(statusName(hotKey->registerHotKey()));
            } else if (command == "release") {
                hotKey->unregisterHotKey();
                say("released");
            }
        }
    });
    return app.exec();
}
