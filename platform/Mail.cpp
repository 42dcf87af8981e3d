#include "platform/Mail.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <memory>
#include <mutex>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

#include <curl/curl.h>

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUuid>

#include "platform/AppError.h"
#include "platform/WorkerWait.h"

namespace {

// How long a server may say nothing, at any stage from the connection to
// the answer to QUIT, before the send fails. The end of the send (the
// answer to the message's end, then to QUIT) has one limit in all.
constexpr int kStallSeconds = 15;
// libcurl measures its own limit from a moment just after ours begins and
// may wake a little early: ours ends the wait a little before its own, so
// the connection is always dropped by us, never left to a second wait.
constexpr qint64 kLimitMarginMs = 100;
std::atomic<int> g_stallSeconds{kStallSeconds};
// The longest the worker sleeps in curl_multi_poll; a Cancel wakes it.
constexpr int kPollMs = 1000;

Mail::Result failure(int code, const QString &text)
{
    return {false, code, text};
}

Mail::Result failure(const AppError &error)
{
    return failure(error.code, error.text);
}

QString mimeTypeOf(const QString &path)
{
    const QString lower = path.toLower();
    if (lower.endsWith(QLatin1String(".jpg")) || lower.endsWith(QLatin1String(".jpeg")))
        return QStringLiteral("image/jpeg");
    if (lower.endsWith(QLatin1String(".bmp")))
        return QStringLiteral("image/bmp");
    if (lower.endsWith(QLatin1String(".pdf")))
        return QStringLiteral("application/pdf");
    return QStringLiteral("application/octet-stream");
}

// What the window's thread and the transfer's worker share: the Cancel
// request. The rest is the worker's alone: what the server refused, for
// the messages, and the limits of the conversation.
struct Conversation
{
    std::atomic<bool> cancel{false};
    QByteArray refusal;       // the server's last 4xx or 5xx reply line
    qint64 limitMs = 0;       // the stall limit, less the margin
    bool quitSent = false;
    bool quitAnswered = false;
    QElapsedTimer sinceHeard; // since the connection began or the server last said something
    QElapsedTimer sinceEnd;   // since the whole message was sent
    bool timedOut = false;    // the connection was dropped at the limit
    std::vector<curl_socket_t> sockets;  // this transfer's open sockets

    // Ends the connection at once: any wait for it ends, and no further
    // command (QUIT) reaches the server.
    void drop()
    {
        timedOut = true;
        for (const curl_socket_t socket : sockets)
            ::shutdown(socket, SHUT_RDWR);
    }
};

// libcurl asks often, also while it blocks for the answer to the
// message's end and to QUIT: a non-zero answer ends the transfer.
int watchProgress(void *conversation, curl_off_t, curl_off_t, curl_off_t ultotal, curl_off_t ulnow)
{
    auto *c = static_cast<Conversation *>(conversation);
    if (c->cancel)
        return 1;
    if (!c->sinceEnd.isValid() && ultotal > 0 && ulnow >= ultotal)
        c->sinceEnd.start();
    // Both answers of the end share one limit: waited out for the first,
    // the second is not waited for.
    if (c->sinceEnd.isValid() && c->sinceEnd.elapsed() >= c->limitMs) {
        c->drop();
        return 1;
    }
    return 0;
}

// Follows the dialogue with the server: its replies, and whether QUIT was
// answered (libcurl waits for that answer but does not report its loss).
int watchDialogue(CURL *, curl_infotype type, char *data, size_t size, void *conversation)
{
    auto *c = static_cast<Conversation *>(conversation);
    const QByteArray line = QByteArray(data, qsizetype(size)).trimmed();
    if (type == CURLINFO_HEADER_OUT && line.startsWith("QUIT")) {
        c->quitSent = true;
        if (!c->sinceEnd.isValid())
            c->sinceEnd.start();
        // QUIT after a server that was silent for the limit (libcurl sends
        // it after its own limit ran out): not waited for again.
        if (c->sinceHeard.elapsed() >= c->limitMs)
            c->drop();
    } else if (type == CURLINFO_HEADER_IN && !line.isEmpty()) {
        c->sinceHeard.start();
        c->quitAnswered = c->quitSent;
        if (line.startsWith('4') || line.startsWith('5'))
            c->refusal = line;
    }
    return 0;
}

// The transfer's sockets are made and closed here, so that drop() reaches
// exactly the open ones.
curl_socket_t openSocket(void *conversation, curlsocktype, curl_sockaddr *address)
{
    const curl_socket_t socket = ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
    if (socket != CURL_SOCKET_BAD)
        static_cast<Conversation *>(conversation)->sockets.push_back(socket);
    return socket;
}

int closeSocket(void *conversation, curl_socket_t socket)
{
    std::vector<curl_socket_t> &sockets = static_cast<Conversation *>(conversation)->sockets;
    sockets.erase(std::remove(sockets.begin(), sockets.end(), socket), sockets.end());
    return ::close(socket);
}

bool curlSpeaksSmtp(bool ssl)
{
    const curl_version_info_data *info = curl_version_info(CURLVERSION_NOW);
    for (const char *const *p = info->protocols; p && *p; ++p) {
        if (qstrcmp(*p, ssl ? "smtps" : "smtp") == 0)
            return true;
    }
    return false;
}

struct CurlHandles
{
    CURL *curl = nullptr;
    curl_mime *mime = nullptr;
    curl_slist *recipients = nullptr;
    curl_slist *headers = nullptr;
    ~CurlHandles()
    {
        curl_slist_free_all(recipients);
        curl_slist_free_all(headers);
        curl_mime_free(mime);
        if (curl)
            curl_easy_cleanup(curl);
    }
};

// name in folder, or "base (2).ext", "base (3).ext", ... when taken.
QString uniqueCopyName(const QString &folder, const QString &name)
{
    const QFileInfo info(name);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const QString base = suffix.isEmpty() ? name : name.left(name.size() - suffix.size());
    QString candidate = folder + QLatin1Char('/') + name;
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = folder + QStringLiteral("/%1 (%2)%3").arg(base).arg(n).arg(suffix);
    return candidate;
}

void addHeader(CurlHandles &h, const QByteArray &line)
{
    h.headers = curl_slist_append(h.headers, line.constData());
}

QByteArray messageId(const QString &from)
{
    const QString domain = from.mid(from.indexOf(QLatin1Char('@')) + 1);
    return "<" + QUuid::createUuid().toString(QUuid::WithoutBraces).toLatin1() + "@" + domain.toUtf8() + ">";
}

std::optional<AppError> checkAttachments(const QStringList &paths)
{
    for (const QString &path : paths) {
        if (!QFileInfo(path).isFile())
            return errnoError(ENOENT, path);
    }
    return std::nullopt;
}

// Builds the MIME body: the text, then one base64 part per file. The text
// is encoded here rather than by libcurl, whose quoted-printable encoder
// leaves the message's size unknown, and with it the moment its end goes
// out (where the end's limit starts).
void addParts(CurlHandles &h, const QByteArray &body, const QStringList &attachments)
{
    h.mime = curl_mime_init(h.curl);
    curl_mimepart *text = curl_mime_addpart(h.mime);
    const QByteArray encoded = Mail::quotedPrintable(body);
    curl_mime_data(text, encoded.constData(), size_t(encoded.size()));
    curl_mime_type(text, "text/plain; charset=UTF-8");
    curl_mime_headers(text, curl_slist_append(nullptr, "Content-Transfer-Encoding: quoted-printable"), 1);
    for (const QString &path : attachments) {
        curl_mimepart *part = curl_mime_addpart(h.mime);
        curl_mime_filedata(part, QFile::encodeName(path).constData());
        const QString name = QFileInfo(path).fileName();
        const QByteArray parameter = Mail::fileNameParameter(name);
        if (parameter.startsWith("filename*=")) {
            // libcurl would write the name's bytes as they are.
            curl_mime_filename(part, nullptr);
            curl_mime_headers(part, curl_slist_append(nullptr, ("Content-Disposition: attachment; " + parameter).constData()),
                              1);
        } else {
            curl_mime_filename(part, name.toUtf8().constData());
        }
        curl_mime_type(part, mimeTypeOf(path).toLatin1().constData());
        curl_mime_encoder(part, "base64");
    }
}

// Drives the transfer to its end on the calling (worker) thread; the
// connection is closed, QUIT included, before it returns.
CURLcode runTransfer(CURLM *multi, CURL *curl, Conversation &c)
{
    curl_multi_add_handle(multi, curl);
    int running = 1;
    CURLcode rc = CURLE_ABORTED_BY_CALLBACK;
    while (running > 0) {
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            rc = CURLE_FAILED_INIT;
            break;
        }
        if (running > 0 && c.cancel)
            break;
        if (running > 0)
            curl_multi_poll(multi, nullptr, 0, kPollMs, nullptr);
    }
    int queued = 0;
    while (CURLMsg *m = curl_multi_info_read(multi, &queued)) {
        if (m->msg == CURLMSG_DONE)
            rc = m->data.result;
    }
    // Cut short by Cancel: the connection is dropped without QUIT.
    curl_multi_remove_handle(multi, curl);
    return rc;
}

QString serverName(const Mail::SmtpSettings &settings)
{
    return settings.host.trimmed() + QLatin1Char(':') + settings.port.trimmed();
}

// The result of a transfer in words a user can read: the server's own
// reply where it refused, the stall limit where it said nothing.
Mail::Result resultOf(CURLcode rc, const Conversation &c, const char *errorText, const Mail::SmtpSettings &settings,
                      int stall)
{
    if (rc == CURLE_OK && c.timedOut && c.quitSent && !c.quitAnswered)
        return failure(int(CURLE_OPERATION_TIMEDOUT),
                       QStringLiteral("The mail server %1 took the message but did not answer QUIT within %2 s.")
                           .arg(serverName(settings)).arg(stall));
    if (rc == CURLE_OK)
        return {true, 0, QString()};
    if (rc == CURLE_ABORTED_BY_CALLBACK && c.cancel)
        return {false, int(rc), QStringLiteral("Sending was cancelled; the message was not sent."), true};
    if (rc == CURLE_OPERATION_TIMEDOUT || c.timedOut)
        return failure(int(CURLE_OPERATION_TIMEDOUT), QStringLiteral("The mail server %1 did not answer within %2 s.")
                                                          .arg(serverName(settings)).arg(stall));
    const QString text = errorText[0] ? QString::fromUtf8(errorText) : QString::fromLatin1(curl_easy_strerror(rc));
    // A refusal (4xx, 5xx) is told in the server's own words.
    if (!c.refusal.isEmpty())
        return failure(int(rc), QStringLiteral("The mail server %1 refused the message: %2")
                                    .arg(serverName(settings), QString::fromUtf8(c.refusal)));
    return failure(int(rc), text);
}

} // namespace

namespace Mail {

void setStallLimit(int seconds)
{
    g_stallSeconds = seconds > 0 ? seconds : kStallSeconds;
}

int stallLimit()
{
    return g_stallSeconds;
}

QString stripLineBreaks(const QString &text)
{
    QString out = text;
    out.remove(QLatin1Char('\r'));
    out.remove(QLatin1Char('\n'));
    return out;
}

bool isValidAddress(const QString &address)
{
    const int at = address.indexOf(QLatin1Char('@'));
    if (at <= 0 || at == address.size() - 1 || address.indexOf(QLatin1Char('@'), at + 1) >= 0
        || address.startsWith(QLatin1Char('-')))
        return false;
    for (const QChar c : address) {
        if (c.isSpace() || c.category() == QChar::Other_Control || c == QLatin1Char('<') || c == QLatin1Char('>')
            || c == QLatin1Char(','))
            return false;
    }
    return true;
}

QByteArray encodeHeaderText(const QString &text)
{
    bool ascii = true;
    for (const QChar c : text)
        ascii = ascii && c.unicode() >= 0x20 && c.unicode() < 0x7F;
    if (ascii)
        return text.toLatin1();
    return "=?UTF-8?B?" + text.toUtf8().toBase64() + "?=";
}

QByteArray quotedPrintable(const QByteArray &text)
{
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out;
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype l = 0; l < lines.size(); ++l) {
        QByteArray line = lines.at(l);
        if (line.endsWith('\r'))
            line.chop(1);
        int column = 0;
        for (qsizetype i = 0; i < line.size(); ++i) {
            // A soft break keeps every line within 76 characters, "=" included.
            if (column > 72) {
                out += "=\r\n";
                column = 0;
            }
            const uchar c = uchar(line.at(i));
            const bool blank = c == ' ' || c == '\t';
            // Blanks at a line's end would be lost on the way; a full stop
            // opening a line would be doubled by the server's rule.
            const bool literal = (c > 32 && c < 127 && c != '=' && !(c == '.' && column == 0))
                                 || (blank && i + 1 < line.size());
            if (literal) {
                out += char(c);
                ++column;
            } else {
                out += '=';
                out += hex[c >> 4];
                out += hex[c & 15];
                column += 3;
            }
        }
        if (l + 1 < lines.size())
            out += "\r\n";
    }
    return out;
}

QByteArray fileNameParameter(const QString &name)
{
    bool plain = true;
    for (const QChar c : name)
        plain = plain && c.unicode() >= 0x20 && c.unicode() < 0x7F;
    if (plain) {
        QString quoted = name;
        quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
        return "filename=\"" + quoted.toLatin1() + "\"";
    }
    // RFC 2231: the charset, an empty language, then the UTF-8 bytes with
    // every one outside the attribute characters percent-encoded.
    return "filename*=UTF-8''" + name.toUtf8().toPercentEncoding("!#$&+^`|~");
}

QByteArray crlfBody(const QString &body)
{
    QString text = body;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text.toUtf8();
}

QString attachmentFolder()
{
    // A static lives until the program exits, when it removes the folder.
    static QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/vellumark-mail-XXXXXX"));
    return folder.path();
}

void initialize()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

Result sendSmtp(const Message &message, const SmtpSettings &settings, const std::function<bool()> &cancelled)
{
    initialize();
    const bool ssl = settings.security == QLatin1String("ssl");
    if (settings.host.trimmed().isEmpty() || settings.from.trimmed().isEmpty() || !curlSpeaksSmtp(ssl))
        return failure(int(ErrorCode::InvalidValue),
                       QStringLiteral("No SMTP server is set up.  Goto File/Email Settings.. to setup your email."));
    const QString to = stripLineBreaks(message.to).trimmed();
    const QString from = stripLineBreaks(settings.from).trimmed();
    for (const QString &address : {to, from}) {
        if (!isValidAddress(address))
            return failure(int(ErrorCode::InvalidValue), QStringLiteral("'%1' is not an e-mail address.").arg(address));
    }
    if (auto error = checkAttachments(message.attachments))
        return failure(*error);

    CurlHandles h;
    h.curl = curl_easy_init();
    if (!h.curl)
        return failure(int(CURLE_FAILED_INIT), QString::fromLatin1(curl_easy_strerror(CURLE_FAILED_INIT)));
    char errorText[CURL_ERROR_SIZE] = {0};
    const QByteArray url = (ssl ? "smtps://" : "smtp://") + settings.host.trimmed().toUtf8() + ":"
                           + settings.port.trimmed().toUtf8();
    const QByteArray mailFrom = "<" + from.toUtf8() + ">";
    const QByteArray user = settings.user.toUtf8();
    const QByteArray password = settings.password.toUtf8();
    curl_easy_setopt(h.curl, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(h.curl, CURLOPT_URL, url.constData());
    if (settings.security == QLatin1String("starttls"))
        curl_easy_setopt(h.curl, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
    if (!settings.user.isEmpty()) {
        curl_easy_setopt(h.curl, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(h.curl, CURLOPT_PASSWORD, password.constData());
    }
    curl_easy_setopt(h.curl, CURLOPT_MAIL_FROM, mailFrom.constData());
    h.recipients = curl_slist_append(h.recipients, ("<" + to.toUtf8() + ">").constData());
    curl_easy_setopt(h.curl, CURLOPT_MAIL_RCPT, h.recipients);

    addHeader(h, "From: " + message.senderName.toUtf8() + " " + mailFrom);
    addHeader(h, "To: <" + to.toUtf8() + ">");
    addHeader(h, "Subject: " + encodeHeaderText(stripLineBreaks(message.subject)));
    addHeader(h, "Date: " + QDateTime::currentDateTime().toString(Qt::RFC2822Date).toLatin1());
    addHeader(h, "Message-ID: " + messageId(from));
    curl_easy_setopt(h.curl, CURLOPT_HTTPHEADER, h.headers);
    addParts(h, crlfBody(message.body), message.attachments);
    curl_easy_setopt(h.curl, CURLOPT_MIMEPOST, h.mime);

    // No limit on the whole send (a large page on a slow line may take
    // long); a server that says nothing for the stall limit, at any stage,
    // ends it, and so does Cancel.
    Conversation conversation;
    const long stall = g_stallSeconds;
    curl_easy_setopt(h.curl, CURLOPT_CONNECTTIMEOUT, stall);
    curl_easy_setopt(h.curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, stall);
    curl_easy_setopt(h.curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h.curl, CURLOPT_LOW_SPEED_TIME, stall);
    curl_easy_setopt(h.curl, CURLOPT_NOSIGNAL, 1L);
    conversation.limitMs = qMax<qint64>(stall * 1000 - kLimitMarginMs, 1);
    conversation.sinceHeard.start();
    curl_easy_setopt(h.curl, CURLOPT_XFERINFOFUNCTION, watchProgress);
    curl_easy_setopt(h.curl, CURLOPT_XFERINFODATA, &conversation);
    curl_easy_setopt(h.curl, CURLOPT_OPENSOCKETFUNCTION, openSocket);
    curl_easy_setopt(h.curl, CURLOPT_OPENSOCKETDATA, &conversation);
    curl_easy_setopt(h.curl, CURLOPT_CLOSESOCKETFUNCTION, closeSocket);
    curl_easy_setopt(h.curl, CURLOPT_CLOSESOCKETDATA, &conversation);
    curl_easy_setopt(h.curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h.curl, CURLOPT_DEBUGFUNCTION, watchDialogue);
    curl_easy_setopt(h.curl, CURLOPT_DEBUGDATA, &conversation);
    curl_easy_setopt(h.curl, CURLOPT_VERBOSE, 1L);
    // The connection closes inside the transfer, so the wait for QUIT's
    // answer happens on the worker under the same limits.
    curl_easy_setopt(h.curl, CURLOPT_FORBID_REUSE, 1L);

    // The multi handle outlives the worker, so Cancel may always wake it.
    std::unique_ptr<CURLM, decltype(&curl_multi_cleanup)> multi(curl_multi_init(), &curl_multi_cleanup);
    if (!multi)
        return failure(int(CURLE_FAILED_INIT), QString::fromLatin1(curl_easy_strerror(CURLE_FAILED_INIT)));
    CURLcode rc = CURLE_FAILED_INIT;
    WorkerWait::run([&] { rc = runTransfer(multi.get(), h.curl, conversation); }, [&] {
        if (cancelled && cancelled() && !conversation.cancel) {
            conversation.cancel = true;
            curl_multi_wakeup(multi.get());
        }
    });
    return resultOf(rc, conversation, errorText, settings, int(stall));
}

Result sendDesktop(const Message &message)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
    if (program.isEmpty())
        return failure(int(ErrorCode::LaunchFailed),
                       QStringLiteral("xdg-email was not found; install xdg-utils or choose SMTP in File/Email Settings."));
    const QString to = stripLineBreaks(message.to).trimmed();
    if (!to.isEmpty() && !isValidAddress(to))
        return failure(int(ErrorCode::InvalidValue), QStringLiteral("'%1' is not an e-mail address.").arg(to));
    if (auto error = checkAttachments(message.attachments))
        return failure(*error);

    // Each message gets its own folder, so the pages of two messages never
    // meet.
    static int sent = 0;
    const QString folder = attachmentFolder() + QStringLiteral("/%1").arg(++sent);
    if (!QDir().mkpath(folder))
        return failure(errnoError(errno != 0 ? errno : EIO, folder));
    QStringList args{QStringLiteral("--utf8"), QStringLiteral("--subject"), stripLineBreaks(message.subject),
                     QStringLiteral("--body"), message.body};
    for (const QString &path : message.attachments) {
        // Two pages of one name (two "offer.pdf" of different folders) get
        // two copies, each with its own page's bytes.
        const QString copy = uniqueCopyName(folder, QFileInfo(path).fileName());
        QFile source(path);
        if (!source.copy(copy))
            return failure(fileError(source, path));
        args << QStringLiteral("--attach") << copy;
    }
    if (!to.isEmpty())
        args << to;
    if (!QProcess::startDetached(program, args))
        return failure(int(ErrorCode::LaunchFailed), QStringLiteral("%1 could not be started.").arg(program));
    return {true, 0, QString()};
}

} // namespace Mail
