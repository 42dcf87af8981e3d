#include "tests/support/SmtpSink.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTcpServer>

namespace {

// Long enough for a loaded machine to start Python; only reached when
// the server fails to start.
constexpr int kStartMs = 30000;

QString modeOf(SmtpSink::Behaviour behaviour)
{
    switch (behaviour) {
    case SmtpSink::Behaviour::Silent:
        return QStringLiteral("silent");
    case SmtpSink::Behaviour::StallData:
        return QStringLiteral("stall-data");
    case SmtpSink::Behaviour::RejectData:
        return QStringLiteral("reject-data");
    case SmtpSink::Behaviour::StallQuit:
        return QStringLiteral("stall-quit");
    case SmtpSink::Behaviour::Accept:
        break;
    }
    return QStringLiteral("accept");
}

} // namespace

SmtpSink::SmtpSink(Behaviour behaviour)
{
    m_server.setProcessChannelMode(QProcess::SeparateChannels);
    m_server.start(QStringLiteral("/usr/bin/python3"),
                   {QStringLiteral(VLM_SMTP_SINK_SCRIPT), m_folder.path(), modeOf(behaviour)});
    if (!m_server.waitForStarted(kStartMs)) {
        m_error = QStringLiteral("/usr/bin/python3: ") + m_server.errorString();
        return;
    }
    while (!m_server.canReadLine() && m_server.state() == QProcess::Running)
        m_server.waitForReadyRead(kStartMs);
    bool ok = false;
    const int port = m_server.readLine().trimmed().toInt(&ok);
    if (!ok || port <= 0) {
        m_error = QStringLiteral("the SMTP server did not start (is python3-aiosmtpd installed?): ")
                + QString::fromLocal8Bit(m_server.readAllStandardError());
        return;
    }
    m_port = port;
}

SmtpSink::~SmtpSink()
{
    if (m_server.state() == QProcess::NotRunning)
        return;
    m_server.closeWriteChannel();
    if (!m_server.waitForFinished(5000)) {
        m_server.kill();
        m_server.waitForFinished(5000);
    }
}

QList<QJsonObject> SmtpSink::messages() const
{
    QList<QJsonObject> list;
    for (int n = 1;; ++n) {
        QFile file(m_folder.filePath(QStringLiteral("%1.json").arg(n)));
        if (!file.open(QIODevice::ReadOnly))
            break;
        list.append(QJsonDocument::fromJson(file.readAll()).object());
    }
    return list;
}

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

int SmtpSink::connections() const
{
    return contents(m_folder.filePath(QStringLiteral("connections"))).trimmed().toInt();
}

int SmtpSink::closedConnections() const
{
    return contents(m_folder.filePath(QStringLiteral("closed"))).trimmed().toInt();
}

QByteArray SmtpSink::transcript() const
{
    return contents(m_folder.filePath(QStringLiteral("transcript")));
}

int SmtpSink::closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const int port = probe.serverPort();
    probe.close();
    return port;
}
