#pragma once

#include <QString>
#include <QStringList>

#include <optional>

#include "core/RecordId.h"
#include "platform/Mail.h"

class QObject;

// E-mail of pages: the settings, the attachment lists the viewer builds,
// the senders that report their result, and the notice a folder with an
// address receives for each new page.
namespace Email {

// EmailSystem values written by the settings dialog.
inline const QString DesktopSetting = QStringLiteral("DESKTOP");
inline const QString SmtpSetting = QStringLiteral("SMTP");

// The system a stored EmailSystem names, compared exactly: "DESKTOP"
// (and the older "MAPI", which used the user's own mail program) is the
// desktop mail client, "SMTP" (and "CDONTS", which sent through a mail
// server) is SMTP, anything else none.
Mail::System systemOf(const QString &setting);
QString settingOf(Mail::System system);
// The stored setting's system (exact compare).
Mail::System currentSystem();

// What the settings dialog shows and stores: EmailSystem, EmailAddress
// (the test address) and the SMTP server.
struct EmailSettings
{
    Mail::System system = Mail::System::None;
    QString address;
    Mail::SmtpSettings smtp;

    static EmailSettings read();
    void write() const;
};

// The stored SMTP server, each part with its default when absent.
Mail::SmtpSettings readSmtp();
void writeSmtp(const Mail::SmtpSettings &smtp);

QString noEmailSystemMessage();
QString messageSentText(Mail::System system);

// An attachment list "p1|p2|": the number of "|" when there is one, else 1
// for a non-empty text, else 0.
int attachmentCount(const QString &list);
// The files it names: the whole text without "|", else each non-empty
// piece before a "|" ("a|b" names only a).
QStringList attachmentPaths(const QString &list);
// The body sent with count attachments: a first line of count spaces in
// front of it when count is above 0.
QString bodyWithAttachmentLine(const QString &body, int count);

// Sends through the system and reports: "Message sent." (for the desktop
// client: that the message is open there) or "SendEmail: Error  #<n>
// <text>". True when it went.
bool SendEmail(Mail::System system, const QString &to, const QString &subject, const QString &body,
               const QString &attachmentList);
// The same through the given SMTP server instead of the stored one.
bool SendEmail(Mail::System system, const QString &to, const QString &subject, const QString &body,
               const QString &attachmentList, const Mail::SmtpSettings &smtp);

// The test message of the settings dialog, through the system chosen
// there (saved or not): "No email system is selected." for none.
void sendTestEmail(Mail::System system, const QString &address, const Mail::SmtpSettings &smtp);

// The viewer's list of its document's page files, in page order, each
// followed by "|". Throws AppError.
QString documentPageFiles(RecordId documentId);

struct Notice
{
    QString address;
    QString subject;
    QString body;
    QString page;     // the page in a list of pages: "Invoice, page 3"
};
// The new-page notice of a page: nothing when its folder has no address
// (blanks count as none) or a row on the way is missing. Throws AppError.
std::optional<Notice> newPageNotice(RecordId pageId);
// Sends the notice when EmailSystem (upper-cased) names a system and the
// page's folder has an address. Never throws: its own failures show as
// "Error # ", the sender's as the sender reports them. Inside a batch, the
// first notice that fails or is cancelled is not reported on its own: it
// ends the batch's notices, and the batch's end reports them.
void SendNewPageNotification(RecordId pageId);

// The notices of one command that adds several pages (a feeder scan, a
// paste or drop of several files). Batches nest; the outermost end shows
// one message with the reason and the pages not announced, when a notice
// failed or was cancelled, and nothing otherwise.
void beginNoticeBatch();
void endNoticeBatch();

// Sends the notices Changes announces (pageAdded, in the batches of
// noticeBatchBegun and noticeBatchEnded) for as long as context lives;
// the program connects once, with its application object.
void connectNotices(QObject *context);

} // namespace Email
