#pragma once

#include <QString>

namespace platform {

// Points the per-user autostart entry at `executablePath` when `enabled`, and switches it off
// otherwise. The entry is rewritten on every call and never removed, so a program that was moved
// repairs its entry the next time it starts. Failures (policy, permissions) are silent.
//
// Windows: the value "auto" under HKCU\...\CurrentVersion\Run, the native path or "".
// Elsewhere: an XDG autostart entry, cashier.desktop, marked Hidden when switched off.
void writeAutostart(bool enabled, const QString& executablePath);

// Where the entry lives on this platform, for messages and tests: the registry path on Windows,
// the .desktop file elsewhere.
QString autostartLocation();

} // namespace platform
