#include "Email.h"

#include <QDateTime>

#include "Common.h"
#include "DbConnection.h"
#include "Guard.h"
#include "PagePaths.h"
#include "Pages.h"
#include "Prompt.h"
#include "RecordId.h"
#include "Settings.h"

namespace {

std::optional<QString> nameOf(const char *table, const char *idColumn, RecordId id)
{
    const Recordset rs = DbConnection::OpenRecordset(
        QStringLiteral("SELECT [Name] FROM %1 WHERE %2 = ?").arg(QLatin1String(table), QLatin1String(idColumn)),
        {id});
    if (rs.isEmpty())
        return std::nullopt;
    return NullToEmpty(rs.value(0, 0));
}

} // namespace

namespace Email {

Mail::System SystemOf(const QString &setting)
{
    if (setting == DesktopSetting || setting == QLatin1String("MAPI"))
        return Mail::System::DesktopClient;
    if (setting == SmtpSetting || setting == QLatin1String("CDONTS"))
        return Mail::System::Smtp;
    return Mail::System::None;
}

QString SettingOf(Mail::System system)
{
    switch (system) {
    case Mail::System::DesktopClient:
        return DesktopSetting;
    case Mail::System::Smtp:
        return SmtpSetting;
    case Mail::System::None:
        break;
    }
    return QString();
}

Mail::System CurrentSystem()
{
    return SystemOf(Settings::value(QStringLiteral("EmailSystem")));
}

EmailSettings EmailSettings::read()
{
    EmailSettings s;
    s.system = CurrentSystem();
    s.address = Settings::value(QStringLiteral("EmailAddress"));
    s.smtp = Mail::SmtpSettings::read();
    return s;
}

void EmailSettings::write() const
{
    Settings::setValue(QStringLiteral("EmailSystem"), SettingOf(system));
    Settings::setValue(QStringLiteral("EmailAddress"), address);
    smtp.write();
}

QString NoEmailSystemMessage()
{
    return QStringLiteral("No Email system setup.  Goto File/Email Settings.. to setup your email.");
}

QString MessageSentText(Mail::System system)
{
    return system == Mail::System::DesktopClient ? QStringLiteral("The message is open in your mail program.")
                                                 : QStringLiteral("Message sent.");
}

int AttachmentCount(const QString &list)
{
    const int bars = int(list.count(QLatin1Char('|')));
    if (bars > 0)
        return bars;
    return list.isEmpty() ? 0 : 1;
}

QStringList AttachmentPaths(const QString &list)
{
    if (list.isEmpty())
        return {};
    if (!list.contains(QLatin1Char('|')))
        return {list};
    QStringList pieces = list.split(QLatin1Char('|'));
    pieces.removeLast();  // the text after the last "|" is not attached
    pieces.removeAll(QString());
    return pieces;
}

QString BodyWithAttachmentLine(const QString &body, int count)
{
    if (count <= 0)
        return body;
    return QString(count, QLatin1Char(' ')) + QLatin1Char('\n') + body;
}

bool SendEmail(Mail::System system, const QString &to, const QString &subject, const QString &body,
               const QString &attachmentList)
{
    return SendEmail(system, to, subject, body, attachmentList, Mail::SmtpSettings::read());
}

bool SendEmail(Mail::System system, const QString &to, const QString &subject, const QString &body,
               const QString &attachmentList, const Mail::SmtpSettings &smtp)
{
    Mail::Message message;
    message.to = to;
    message.subject = subject;
    message.body = BodyWithAttachmentLine(body, AttachmentCount(attachmentList));
    message.attachments = AttachmentPaths(attachmentList);
    Mail::Result result;
    if (system == Mail::System::Smtp)
        result = Mail::sendSmtp(message, smtp);
    else if (system == Mail::System::DesktopClient)
        result = Mail::sendDesktop(message);
    else
        result = {false, 0, NoEmailSystemMessage()};
    if (result.ok) {
        Prompt::instance().message(MessageSentText(system));
    } else if (system == Mail::System::None) {
        Prompt::instance().warning(result.text);
    } else {
        Prompt::instance().error(QStringLiteral("SendEmail: Error  #%1 %2").arg(result.code).arg(result.text));
    }
    return result.ok;
}

void SendTestEmail(Mail::System system, const QString &address, const Mail::SmtpSettings &smtp)
{
    if (system == Mail::System::None) {
        Prompt::instance().warning(QStringLiteral("No email system is selected."));
        return;
    }
    const QString body = QStringLiteral("This is a test message from %1.\n%2")
                             .arg(Common::GetAppTitle(),
                                  QDateTime::currentDateTime().toString(QStringLiteral("MM/dd/yyyy HH:mm:ss")));
    SendEmail(system, address, QStringLiteral("Test Email"), body, QString(), smtp);
}

QString DocumentPageFiles(RecordId documentId)
{
    QString list;
    for (const Pages::PageRow &page : Pages::ReadDocumentPages(documentId))
        list += PagePaths::GetPageFilePath(page.pageId, page.filename) + QLatin1Char('|');
    return list;
}

std::optional<Notice> NewPageNotice(RecordId pageId)
{
    const RecordId documentId = Common::GetDocumentIdOfPage(pageId);
    const RecordId folderId = Common::GetFolderIdOfDocument(documentId);
    const QVariant email =
        DbConnection::QueryValue(QStringLiteral("SELECT Email FROM Folder WHERE FolderId = ?"), {folderId});
    const QString address = NullToEmpty(email).trimmed();
    if (address.isEmpty())
        return std::nullopt;
    const RecordId drawerId = Common::GetDrawerIdOfFolder(folderId);
    const RecordId cabinetId = Common::GetCabinetIdOfDrawer(drawerId);
    const std::optional<QString> cabinet = nameOf("Cabinet", "CabinetId", cabinetId);
    const std::optional<QString> drawer = nameOf("Drawer", "DrawerId", drawerId);
    const std::optional<QString> folder = nameOf("Folder", "FolderId", folderId);
    const std::optional<QString> document = nameOf("Document", "DocumentId", documentId);
    const Recordset page = DbConnection::OpenRecordset(
        QStringLiteral("SELECT ShortcutYN, Filename, PageNumber FROM Page WHERE PageId = ?"), {pageId});
    if (!cabinet || !drawer || !folder || !document || page.isEmpty())
        return std::nullopt;
    const QString last = NullToEmpty(page.value(0, 0)) == QLatin1String("Y")
                             ? QStringLiteral("New file added: ") + NullToEmpty(page.value(0, 1))
                             : QStringLiteral("New page scanned.  Page # ") + NullToEmpty(page.value(0, 2));
    Notice notice;
    notice.address = address;
    notice.subject = Common::GetAppTitle() + QStringLiteral(": new page added");
    notice.body = QStringLiteral(" Cabinet: %1\n  Drawer: %2\n  Folder: %3\nDocument: %4\n\n%5")
                      .arg(*cabinet, *drawer, *folder, *document, last);
    return notice;
}

void SendNewPageNotification(RecordId pageId)
{
    const QString setting = Settings::value(QStringLiteral("EmailSystem"));
    if (setting.isEmpty())
        return;
    // The notice compares the setting without regard to case.
    const Mail::System system = SystemOf(setting.toUpper());
    std::optional<Notice> notice;
    if (!guard([&] { notice = NewPageNotice(pageId); }) || !notice || system == Mail::System::None)
        return;
    SendEmail(system, notice->address, notice->subject, notice->body, QString());
}

} // namespace Email
