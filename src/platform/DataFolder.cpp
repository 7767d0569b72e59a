#include "platform/DataFolder.h"

#include <QDir>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QStringList>

#ifdef Q_OS_WIN
#include <windows.h>
#include <shlobj.h>
#endif

namespace platform {

namespace {

#ifdef Q_OS_WIN
Q_LOGGING_CATEGORY(lcStart, "cashier.start")

QString knownFolder(REFKNOWNFOLDERID id)
{
    PWSTR path = nullptr;
    QString folder;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path)))
        folder = QDir::fromNativeSeparators(QString::fromWCharArray(path));
    CoTaskMemFree(path);
    return folder;
}

QStringList foldersWithoutSettings()
{
    wchar_t windows[MAX_PATH];
    const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
    QStringList folders{knownFolder(FOLDERID_ProgramFiles), knownFolder(FOLDERID_ProgramFilesX86)};
    if (length > 0 && length < MAX_PATH)
        folders.append(QDir::fromNativeSeparators(QString::fromWCharArray(windows, int(length))));
    return folders;
}
#endif

QString normalised(const QString& path)
{
    QString clean = QDir::cleanPath(QDir::fromNativeSeparators(path)).toLower();
    if (!clean.endsWith(QLatin1Char('/')))
        clean += QLatin1Char('/');
    return clean;
}

} // namespace

bool isInsideAny(const QString& directory, const QStringList& systemFolders)
{
    const QString inside = normalised(directory);
    for (const QString& folder : systemFolders) {
        if (!folder.isEmpty() && inside.startsWith(normalised(folder)))
            return true;
    }
    return false;
}

QString enterDataFolder()
{
#ifdef Q_OS_WIN
    const QString current = QDir::currentPath();
    if (!isInsideAny(current, foldersWithoutSettings()))
        return current;
    // %LOCALAPPDATA%: the settings name this PC's ports and printers, so they do not roam.
    const QString local = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString data = QDir(local).filePath(dataFolderName());
    if (local.isEmpty() || !QDir().mkpath(data) || !QDir::setCurrent(data)) {
        qCWarning(lcStart).noquote() << "cannot use the data folder" << data << "; staying in" << current;
        return current;
    }
    qCInfo(lcStart).noquote() << "started in" << current << "; settings are kept in" << data;
    return data;
#else
    return QDir::currentPath();
#endif
}

} // namespace platform
