#pragma once

#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A real SMTP server (Debian's python3-aiosmtpd, run by the system's
// /usr/bin/python3) listening on a free port of 127.0.0.1 for the
// fixture's lifetime. It refuses recipients "refused@..." with 550 and
// records every message it accepts, unless told to misbehave.
class SmtpSink
{
public:
    enum class Behaviour {
        Accept,      // takes every message
        Silent,      // takes connections and never greets
        StallData,   // takes the message and never answers its final "."
        RejectData,  // answers the final "." with 554
        StallQuit,   // takes the message and never answers QUIT
    };

    explicit SmtpSink(Behaviour behaviour = Behaviour::Accept);
    ~SmtpSink();

    SmtpSink(const SmtpSink &) = delete;
    SmtpSink &operator=(const SmtpSink &) = delete;

    // False with the reason in error() when the server did not start.
    bool isRunning() const { return m_port > 0; }
    QString error() const { return m_error; }
    int port() const { return m_port; }

    // The messages accepted so far, oldest first: "from", "to" (array),
    // "headers" (name -> array of values) and "parts" (each "type",
    // "filename" (decoded), "encoding", "disposition" (the header as sent),
    // and "data": the decoded bytes in base64).
    QList<QJsonObject> messages() const;
    // The connections the server has taken so far, and those the client
    // has ended (not counted while silent).
    int connections() const;
    int closedConnections() const;
    // Every byte the clients sent so far, in order (not kept while silent).
    QByteArray transcript() const;

    // A port of 127.0.0.1 where nothing listens.
    static int closedPort();

private:
    QTemporaryDir m_folder;
    QProcess m_server;
    int m_port = 0;
    QString m_error;
};
