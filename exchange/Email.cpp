#include "exchange/Email.h"

#include <QDateTime>

#include "core/AppSettings.h"
#include "core/Changes.h"
#include "core/Guard.h"
#include "core/Product.h"
#include "core/Progress.h"
#include "core/Prompt.h"
#include "core/RecordId.h"
#include "platform/DbConnection.h"
#include "store/PagePaths.h"
#include "store/Pages.h"
#include "store/Records.h"

namespace {

// The notice batch in progress, when one is.
struct NoticeBatchState
{
    int depth = 0;
    std::optional<Mail::Result> stoppedBy;  // the failure that ended its notices
    QStringList unannounced;
};

NoticeBatchState &batch()
{
    static NoticeBatchState state;
    return state;
}

QString batchReport(const NoticeBatchState &state)
{
    const Mail::Result &why = *state.stoppedBy;
    const QString reason = why.cancelled ? why.text : QStringLiteral("Error # %1 %2").arg(why.code).arg(why.text);
    return QStringLiteral("%1\n\nNo new-page notice was sent for these pages:\n%2")
        .arg(reason, state.unannounced.join(QLatin1Char('\n')));
}

Mail::Result send(Mail::System system, const Mail::Message &message, const Mail::SmtpSettings &smtp)
{
    if (system == Mail::System::DesktopClient)
        return Mail::sendDesktop(message);
    if (system != Mail::System::Smtp)
        return {false, 0, Email::noEmailSystemMessage()};
    // A progress window with Cancel for the send; the operation around it
    // (a page save) keeps its own stop request.
    const ProgressScope progress(QStringLiteral("Sending mail to %1").arg(message.to), 1, 2,
                                 ProgressScope::Cancel::Shown, ProgressScope::OnClose::Restore);
    // The send is mostly waiting on the server, which tells nothing of how
    // far it is: a busy bar shows that it goes on.
    Progress::showBusy();
    return Mail::sendSmtp(message, smtp, [] { return Progress::ProgressCancelled(); });
}

void report(Mail::System system, const Mail::Result &result)
{
    if (result.ok)
        Prompt::instance().message(Email::messageSentText(system));
    else if (system == Mail::System::None || result.cancelled)
        Prompt::instance().warning(result.text);
    else
        Prompt::instance().error(QStringLiteral("SendEmail: Error  #%1 %2").arg(result.code).arg(result.text));
}

Mail::Message composed(const QString &to, const QString &subject, const QString &body, const QString &attachmentList)
{
    Mail::Message message;
    message.to = to;
    message.senderName = Product::GetAppTitle();
    message.subject = subject;
    message.body = Email::bodyWithAttachmentLine(body, Email::attachmentCount(attachmentList));
    message.attachments = Email::attachmentPaths(attachmentList);
    return message;
}

// The record's name ("" for Null); nothing when the row is gone.
template<typename Values>
std::optional<QString> nameOf(const std::optional<Values> &record)
{
    if (!record)
        return std::nullopt;
    return record->name;
}

} // namespace

namespace Email {

Mail::System systemOf(const QString &setting)
{
    if (setting == DesktopSetting || setting == QLatin1String("MAPI"))
        return Mail::System::DesktopClient;
    if (setting == SmtpSetting || setting == QLatin1String("CDONTS"))
        return Mail::System::Smtp;
    return Mail::System::None;
}

QString settingOf(Mail::System system)
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

Mail::System currentSystem()
{
    return systemOf(AppSettings::EmailSystem.read());
}

EmailSettings EmailSettings::read()
{
    EmailSettings s;
    s.system = currentSystem();
    s.address = AppSettings::EmailAddress.read();
    s.smtp = readSmtp();
    return s;
}

void EmailSettings::write() const
{
    AppSettings::EmailSystem.write(settingOf(system));
    AppSettings::EmailAddress.write(address);
    writeSmtp(smtp);
}

Mail::SmtpSettings readSmtp()
{
    Mail::SmtpSettings s;
    s.host = AppSettings::SmtpHost.read();
    s.port = AppSettings::SmtpPort.read();
    s.security = AppSettings::SmtpSecurity.read();
    s.user = AppSettings::SmtpUser.read();
    s.password = AppSettings::SmtpPassword.read();
    s.from = AppSettings::SmtpFrom.read();
    return s;
}

void writeSmtp(const Mail::SmtpSettings &smtp)
{
    AppSettings::SmtpHost.write(smtp.host);
    AppSettings::SmtpPort.write(smtp.port);
    AppSettings::SmtpSecurity.write(smtp.security);
    AppSettings::SmtpUser.write(smtp.user);
    AppSettings::SmtpPassword.write(smtp.password);
    AppSettings::SmtpFrom.write(smtp.from);
}

QString noEmailSystemMessage()
{
    return QStringLiteral("No Email system setup.  Goto File/Email Settings.. to setup your email.");
}

QString messageSentText(Mail::System system)
{
    return system == Mail::System::DesktopClient ? QStringLiteral("The message is open in your mail program.")
                                                 : QStringLiteral("Message sent.");
}

int attachmentCount(const QString &list)
{
    const int bars = int(list.count(QLatin1Char('|')));
    if (bars > 0)
        return bars;
    return list.isEmpty() ? 0 : 1;
}

QStringList attachmentPaths(const QString &list)
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

QString bodyWithAttachmentLine(const QString &body, int count)
{
    if (count <= 0)
        return body;
    return QString(count, QLatin1Char(' ')) + QLatin1Char('\n') + body;
}

bool SendEmail(Mail::System system, const QString &to, const QString &subject, const QString &body,
               const QString &attachmentList)
{
    return SendEmail(system, to, subject, body, attachmentList, readSmtp());
}

bool SendEmail(Mail::System system, const QString &to, const QString &subject, const QString &body,
               const QString &attachmentList, const Mail::SmtpSettings &smtp)
{
    const Mail::Result result = send(system, composed(to, subject, body, attachmentList), smtp);
    report(system, result);
    return result.ok;
}

void sendTestEmail(Mail::System system, const QString &address, const Mail::SmtpSettings &smtp)
{
    if (system == Mail::System::None) {
        Prompt::instance().warning(QStringLiteral("No email system is selected."));
        return;
    }
    const QString body = QStringLiteral("This is a test message from %1.\n%2")
                             .arg(Product::GetAppTitle(),
                                  QDateTime::currentDateTime().toString(QStringLiteral("MM/dd/yyyy HH:mm:ss")));
    SendEmail(system, address, QStringLiteral("Test Email"), body, QString(), smtp);
}

QString documentPageFiles(RecordId documentId)
{
    QString list;
    for (const Pages::PageRow &page : Pages::readDocumentPages(documentId))
        list += PagePaths::GetPageFilePath(page.pageId, page.filename) + QLatin1Char('|');
    return list;
}

std::optional<Notice> newPageNotice(RecordId pageId)
{
    const RecordId documentId = Pages::GetDocumentIdOfPage(pageId);
    const RecordId folderId = Records::GetFolderIdOfDocument(documentId);
    const std::optional<Records::FolderValues> folderRow = Records::readFolder(folderId);
    const QString address = folderRow ? folderRow->email.trimmed() : QString();
    if (address.isEmpty())
        return std::nullopt;
    const RecordId drawerId = Records::GetDrawerIdOfFolder(folderId);
    const RecordId cabinetId = Records::GetCabinetIdOfDrawer(drawerId);
    const std::optional<QString> cabinet = nameOf(Records::readCabinet(cabinetId));
    const std::optional<QString> drawer = nameOf(Records::readDrawer(drawerId));
    const std::optional<QString> folder = nameOf(folderRow);
    const std::optional<QString> document = nameOf(Records::readDocument(documentId));
    const std::optional<Pages::NamedPage> page = Pages::namedPageOf(pageId);
    if (!cabinet || !drawer || !folder || !document || !page)
        return std::nullopt;
    const QString number = NullToEmpty(page->pageNumber);
    const QString last = page->shortcut ? QStringLiteral("New file added: ") + page->filename
                                        : QStringLiteral("New page scanned.  Page # ") + number;
    Notice notice;
    notice.address = address;
    notice.subject = Product::GetAppTitle() + QStringLiteral(": new page added");
    notice.body = QStringLiteral(" Cabinet: %1\n  Drawer: %2\n  Folder: %3\nDocument: %4\n\n%5")
                      .arg(*cabinet, *drawer, *folder, *document, last);
    notice.page = page->shortcut ? QStringLiteral("%1, %2").arg(*document, page->filename)
                                 : QStringLiteral("%1, page %2").arg(*document, number);
    return notice;
}

void SendNewPageNotification(RecordId pageId)
{
    const QString setting = AppSettings::EmailSystem.read();
    if (setting.isEmpty())
        return;
    // The notice compares the setting without regard to case.
    const Mail::System system = systemOf(setting.toUpper());
    std::optional<Notice> notice;
    if (!guard([&] { notice = newPageNotice(pageId); }) || !notice || system == Mail::System::None)
        return;
    NoticeBatchState &state = batch();
    if (state.depth > 0 && state.stoppedBy) {
        state.unannounced.append(notice->page);
        return;
    }
    const Mail::Result result =
        send(system, composed(notice->address, notice->subject, notice->body, QString()), readSmtp());
    if (state.depth > 0 && !result.ok) {
        state.stoppedBy = result;
        state.unannounced.append(notice->page);
        return;
    }
    report(system, result);
}

void beginNoticeBatch()
{
    if (batch().depth++ == 0) {
        batch().stoppedBy.reset();
        batch().unannounced.clear();
    }
}

void endNoticeBatch()
{
    NoticeBatchState &state = batch();
    if (state.depth == 0 || --state.depth > 0 || !state.stoppedBy)
        return;
    const QString text = batchReport(state);
    const bool cancelled = state.stoppedBy->cancelled;
    state.stoppedBy.reset();
    state.unannounced.clear();
    if (cancelled)
        Prompt::instance().warning(text);
    else
        Prompt::instance().error(text);
}

void connectNotices(QObject *context)
{
    // Direct: a notice goes out before the save or paste that announced it
    // carries on, as part of the same command.
    Changes &changes = Changes::instance();
    QObject::connect(&changes, &Changes::pageAdded, context, &SendNewPageNotification, Qt::DirectConnection);
    QObject::connect(&changes, &Changes::noticeBatchBegun, context, &beginNoticeBatch, Qt::DirectConnection);
    QObject::connect(&changes, &Changes::noticeBatchEnded, context, &endNoticeBatch, Qt::DirectConnection);
}

} // namespace Email
