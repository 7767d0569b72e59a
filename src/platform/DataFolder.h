#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// The program keeps data.ini, app.config and its journal in its working directory. On Windows a
// start from somewhere no settings belong lands there too: the Run key starts the program at logon
// in the Windows folder (System32), and its own folder under Program Files cannot be written by a
// cashier's account. A working directory inside the Windows folder or a Program Files folder is
// therefore replaced by the per-user data folder, the one the installer's shortcuts start in
// (%LOCALAPPDATA%\LanchuanPay), made if missing. Any other working directory is kept, as everywhere
// else. Returns the working directory the program runs in.
QString enterDataFolder();

// The per-user data folder's name under %LOCALAPPDATA%; installer/cashier.nsi uses the same name.
inline QString dataFolderName()
{
    return QStringLiteral("LanchuanPay");
}

// Whether `directory` lies inside one of `systemFolders` (or is one), compared as Windows compares
// paths: either separator, any letter case. Empty folders are ignored.
bool isInsideAny(const QString& directory, const QStringList& systemFolders);

} // namespace platform
