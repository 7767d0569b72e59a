#pragma once

#include <QString>

namespace platform {

// The update installer shipped beside the program: install/updata.exe on Windows, install/updata
// elsewhere, relative to the working directory.
QString updaterProgram();

// Runs the installer and waits until it exits. False when it could not be started at all (missing,
// not executable), so the caller can say so.
bool runUpdater();

} // namespace platform
