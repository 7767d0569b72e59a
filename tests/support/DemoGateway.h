#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A demo gateway of its own for a test: the real server, on a free loopback port, with a fresh
// database that lives as long as the object.
class DemoGateway
{
public:
    explicit DemoGateway(const QStringList& extraArguments = {});
    ~DemoGateway();

    // Starts the server and waits for it to listen; false (with the reason in error()) otherwise.
    bool start();
    void stop();
    bool restart() { return stop(), start(); }

    quint16 port() const { return m_port; }
    QString url() const;     // the gateway endpoint
    QString baseUrl() const; // scheme://127.0.0.1:port
    QString databasePath() const;
    QString error() const { return m_error; }

    // Test controls: POST or GET /admin/<pathAndQuery>; the reply body, or a null array when the
    // call did not get a 200.
    QByteArray adminPost(const QString& pathAndQuery, const QByteArray& body = QByteArray());
    QByteArray adminGet(const QString& pathAndQuery);

    // Where the server binary is (from the build).
    static QString executable();

private:
    QStringList m_extraArguments;
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    QString m_error;
};

// A blocking POST for tests, outside the code under test; returns the HTTP status (0 when no reply).
int blockingPost(const QString& url, const QByteArray& body, QByteArray* reply = nullptr,
                 const QByteArray& contentType = "application/x-www-form-urlencoded");
