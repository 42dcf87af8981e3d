#include "Mail.h"

#include <cerrno>
#include <memory>
#include <mutex>

#include <curl/curl.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUuid>

#include "Common.h"
#include "DbError.h"
#include "Settings.h"

namespace {

constexpr long kConnectTimeoutSeconds = 20;
constexpr long kTotalTimeoutSeconds = 300;

Mail::Result failure(int code, const QString &text)
{
    return {false, code, text};
}

Mail::Result failure(const DbError &error)
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

// Keeps the window painting while libcurl holds the thread; user input
// waits, so no second command starts in the middle of a send.
int keepPainting(void *, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return 0;
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

void addHeader(CurlHandles &h, const QByteArray &line)
{
    h.headers = curl_slist_append(h.headers, line.constData());
}

QByteArray messageId(const QString &from)
{
    const QString domain = from.mid(from.indexOf(QLatin1Char('@')) + 1);
    return "<" + QUuid::createUuid().toString(QUuid::WithoutBraces).toLatin1() + "@" + domain.toUtf8() + ">";
}

std::optional<DbError> checkAttachments(const QStringList &paths)
{
    for (const QString &path : paths) {
        if (!QFileInfo(path).isFile())
            return errnoError(ENOENT, path);
    }
    return std::nullopt;
}

// Builds the MIME body: the text, then one base64 part per file.
void addParts(CurlHandles &h, const QByteArray &body, const QStringList &attachments)
{
    h.mime = curl_mime_init(h.curl);
    curl_mimepart *text = curl_mime_addpart(h.mime);
    curl_mime_data(text, body.constData(), size_t(body.size()));
    curl_mime_type(text, "text/plain; charset=UTF-8");
    curl_mime_encoder(text, "quoted-printable");
    for (const QString &path : attachments) {
        curl_mimepart *part = curl_mime_addpart(h.mime);
        curl_mime_filedata(part, QFile::encodeName(path).constData());
        curl_mime_filename(part, QFileInfo(path).fileName().toUtf8().constData());
        curl_mime_type(part, mimeTypeOf(path).toLatin1().constData());
        curl_mime_encoder(part, "base64");
    }
}

} // namespace

namespace Mail {

SmtpSettings SmtpSettings::read()
{
    SmtpSettings s;
    s.host = Settings::value(QStringLiteral("SmtpHost"));
    s.port = Settings::value(QStringLiteral("SmtpPort"), QStringLiteral("587"));
    s.security = Settings::value(QStringLiteral("SmtpSecurity"), QStringLiteral("starttls"));
    s.user = Settings::value(QStringLiteral("SmtpUser"));
    s.password = Settings::value(QStringLiteral("SmtpPassword"));
    s.from = Settings::value(QStringLiteral("SmtpFrom"));
    return s;
}

void SmtpSettings::write() const
{
    Settings::setValue(QStringLiteral("SmtpHost"), host);
    Settings::setValue(QStringLiteral("SmtpPort"), port);
    Settings::setValue(QStringLiteral("SmtpSecurity"), security);
    Settings::setValue(QStringLiteral("SmtpUser"), user);
    Settings::setValue(QStringLiteral("SmtpPassword"), password);
    Settings::setValue(QStringLiteral("SmtpFrom"), from);
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

Result sendSmtp(const Message &message, const SmtpSettings &settings)
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

    addHeader(h, "From: " + Common::GetAppTitle().toUtf8() + " " + mailFrom);
    addHeader(h, "To: <" + to.toUtf8() + ">");
    addHeader(h, "Subject: " + encodeHeaderText(stripLineBreaks(message.subject)));
    addHeader(h, "Date: " + QDateTime::currentDateTime().toString(Qt::RFC2822Date).toLatin1());
    addHeader(h, "Message-ID: " + messageId(from));
    curl_easy_setopt(h.curl, CURLOPT_HTTPHEADER, h.headers);
    addParts(h, crlfBody(message.body), message.attachments);
    curl_easy_setopt(h.curl, CURLOPT_MIMEPOST, h.mime);

    curl_easy_setopt(h.curl, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(h.curl, CURLOPT_TIMEOUT, kTotalTimeoutSeconds);
    curl_easy_setopt(h.curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h.curl, CURLOPT_XFERINFOFUNCTION, keepPainting);
    curl_easy_setopt(h.curl, CURLOPT_NOPROGRESS, 0L);

    const CURLcode rc = curl_easy_perform(h.curl);
    if (rc == CURLE_OK)
        return {true, 0, QString()};
    const QString text = errorText[0] ? QString::fromUtf8(errorText) : QString::fromLatin1(curl_easy_strerror(rc));
    return failure(int(rc), text);
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

    // Each message gets its own folder, so two pages of one name never meet.
    static int sent = 0;
    const QString folder = attachmentFolder() + QStringLiteral("/%1").arg(++sent);
    if (!QDir().mkpath(folder))
        return failure(errnoError(errno != 0 ? errno : EIO, folder));
    QStringList args{QStringLiteral("--utf8"), QStringLiteral("--subject"), stripLineBreaks(message.subject),
                     QStringLiteral("--body"), message.body};
    for (const QString &path : message.attachments) {
        const QString copy = folder + QLatin1Char('/') + QFileInfo(path).fileName();
        QFile source(path);
        if (!QFileInfo::exists(copy) && !source.copy(copy))
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
