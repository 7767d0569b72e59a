#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A fresh temporary folder made the working directory for the lifetime of the object, as the
// program keeps data.ini and app.config in its working directory.
class ScopedWorkingDir
{
public:
    ScopedWorkingDir();
    ~ScopedWorkingDir();

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

// Whole-file helpers that bypass Qt's settings cache, to see what really is on disk.
QByteArray readFileBytes(const QString& path);
bool writeFileBytes(const QString& path, const QByteArray& bytes);

// A self-signed certificate for 127.0.0.1 (also its own certificate authority), made with the
// openssl command: `certFile` and `keyFile` in PEM. False when openssl failed.
bool makeLoopbackCertificate(const QString& certFile, const QString& keyFile);

// Sets an environment variable for the lifetime of the object, restoring the old value after.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const QByteArray& value);
    ~ScopedEnv();

private:
    const char* m_name;
    QByteArray m_old;
    bool m_hadOld;
};
