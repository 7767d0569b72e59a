// A second running copy, as far as the hot key is concerned: claims Alt+Z through the same code the
// cashier uses, in its own process and X connection. Reports on stdout, one line each:
//   "Registered" / "Taken" / "Unsupported"   the result of a claim (one at start-up)
//   "activated"                                every press it receives
//   "released"                                 after "release" on stdin
// Reads "register" and "release" on stdin; ends when stdin closes, still holding the key if it
// had it.

#include "platform/GlobalHotKey.h"

#include <QGuiApplication>
#include <QWindow>

#include <cstdio>
#include <iostream>
#include <string>
#include <thread>

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
#ifdef Q_OS_WIN
    // Under Wine a thread's hot key arrives through that thread's X connection, which comes with
    // its first window; the cashier has its main window. (Windows itself needs none.)
    QWindow window;
    window.resize(120, 60);
    window.show();
#endif
    hotKey = platform::createGlobalHotKey();
    QObject::connect(hotKey.get(), &platform::GlobalHotKey::activated, [] { say("activated"); });
    say(statusName(hotKey->registerHotKey()));

    // Commands come from a thread that blocks on stdin (the same on Windows and Linux) and are
    // carried out on the GUI thread, where the hot key lives.
    std::thread input([&app, &hotKey] {
        std::string command;
        while (std::getline(std::cin, command)) {
            QMetaObject::invokeMethod(&app, [&hotKey, command] {
                if (command.rfind("register", 0) == 0) {
                    say(statusName(hotKey->registerHotKey()));
                } else if (command.rfind("release", 0) == 0) {
                    hotKey->unregisterHotKey();
                    say("released");
                }
            });
        }
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit);
    });
    input.detach();
    return app.exec();
}
