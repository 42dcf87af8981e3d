#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The program's two ways of sending mail behind one call: "SMTP", sent by
// libcurl to the server of the e-mail settings, and the desktop mail
// client, handed the message through xdg-email so that the user sends it
// from there. Nothing here shows a window; the caller reports the result.
namespace Mail {

enum class System { None, DesktopClient, Smtp };

// The SMTP server of the e-mail settings (stored by the e-mail logic under
// the Smtp keys of AppSettings).
struct SmtpSettings
{
    QString host;
    QString port = QStringLiteral("587");
    QString security = QStringLiteral("starttls");  // "none", "starttls" or "ssl"
    QString user;
    QString password;   // kept in the settings file as typed
    QString from;       // the sender's address
};

struct Message
{
    QString to;
    QString senderName;       // shown before the sender's address in From
    QString subject;
    QString body;             // lines ended by "\n" or "\r\n"
    QStringList attachments;  // file paths
};

struct Result
{
    bool ok = false;
    int code = 0;       // CURLcode, errno or an ErrorCode; 0 when ok
    QString text;       // why it failed
    bool cancelled = false;  // the user's Cancel ended it
};

// Sends the message through the SMTP server. ok only once the server took
// the message (its answer to the end of the data) and answered QUIT within
// the stall limit, which the two answers share: a server silent after the
// data is waited for once, not once more for QUIT. CR
// and LF are removed from the subject and the addresses; an address that
// is not one ("name@domain", no blanks or angle brackets) is refused
// before anything is sent, and so is a missing attachment.
// The transfer runs on a worker while the calling thread runs its events;
// cancelled, asked as those events run (the progress window's Cancel), ends
// it at once, with cancelled set. A server that says nothing for the stall limit,
// at any stage, fails the send ("... did not answer").
[[nodiscard]] Result sendSmtp(const Message &message, const SmtpSettings &settings,
                              const std::function<bool()> &cancelled = {});

// The stall limit in seconds, 15 unless set; 0 or less restores 15.
void setStallLimit(int seconds);
int stallLimit();

// Opens a new message in the user's mail client through xdg-email, with
// copies of the attachments that stay in a folder of this run until the
// program exits (the client reads them after this call returns). ok when
// xdg-email could be started; an empty address leaves the client's To
// empty.
[[nodiscard]] Result sendDesktop(const Message &message);

// The text with every CR and LF removed.
QString stripLineBreaks(const QString &text);
// One address "local@domain": no blanks, controls, angle brackets or
// commas, one "@" with text on both sides, not starting with "-".
bool isValidAddress(const QString &address);
// The Subject header's value: the text itself when it is ASCII, else an
// RFC 2047 "=?UTF-8?B?...?=" word.
QByteArray encodeHeaderText(const QString &text);
// The body as sent: every line break made CR LF.
QByteArray crlfBody(const QString &body);
// Text with CR LF line ends as quoted-printable (RFC 2045): lines of at
// most 76 characters, blanks at a line's end and a full stop opening a
// line encoded too.
QByteArray quotedPrintable(const QByteArray &text);
// The file-name parameter of an attachment's Content-Disposition:
// filename="name" for a printable ASCII name, else the RFC 2231 form
// filename*=UTF-8''<percent-encoded bytes>.
QByteArray fileNameParameter(const QString &name);
// The folder of this run that holds the attachments handed to the mail
// client; made on first use, removed at exit.
QString attachmentFolder();

// Prepares libcurl once. The first send calls it on the window's thread, so
// vlm's start-up does not pay for it; each transfer then runs on a worker
// of its own with its own handles.
void initialize();

} // namespace Mail
