#include "navigation/ui/NavCommandHost.h"

#include "core/Guard.h"
#include "exchange/ExchangeState.h"
#include "exchange/FileImport.h"
#include "exchange/ui/frmImportFileTypes.h"
#include "navigation/ui/PagePane.h"
#include "store/NodeKeys.h"

#include "core/Guard.h"
#include "core/Prompt.h"
#include "core/RecordId.h"
#include "store/NodeKeys.h"
#include "navigation/NavQueries.h"
#include "navigation/NavRules.h"
#include "store/Passwords.h"

namespace NavCommandSteps {

bool confirmDelete(const QString &name)
{
    return Prompt::instance().questionYesNoCancel(QStringLiteral("Delete '%1'?").arg(name)) == Prompt::Answer::Yes;
}

bool mayWorkOn(const CommandTarget &target)
{
    bool may = false;
    guard([&] { may = mayWorkIn(target.key, target.name); });
    return may;
}

namespace {

// The directory and the file types asked, then the import with the
// progress window, then the new documents or pages shown.
void importInto(NavCommandHost &host, const CommandTarget &target)
{
    const std::optional<QString> directory = Prompt::instance().chooseFolder();
    if (!directory)
        return;
    frmImportFileTypes::ListImportFileTypes(*directory, host.dialogParent());
    const ExchangeState &chosen = ExchangeState::instance();
    if (chosen.ImportFileTypesCancelled)
        return;
    const bool folder = target.prefix() == NodeKeys::Folder;
    FileImport::ImportFiles(target.id(), *directory,
                            folder ? FileImport::TargetKind::Folder : FileImport::TargetKind::Document,
                            chosen.ImportFileTypeList);
    if (!folder && host.pagePane()->documentId() == target.id())
        host.pagePane()->reload();
    host.contentsChanged(target.key);
}

// A long list is cut so that the box still fits on the screen.
QString shortList(const QStringList &files)
{
    constexpr int kShown = 10;
    QStringList lines = files.mid(0, kShown);
    if (files.size() > kShown)
        lines.append(QStringLiteral("... and %1 more.").arg(files.size() - kShown));
    return lines.join(QLatin1Char('\n'));
}

} // namespace

void importFilesInto(NavCommandHost &host, const QString &kind)
{
    const CommandTarget target = host.commandTarget(kind, true);
    if (targetIsOfKind(target, kind) && mayWorkOn(target))
        importInto(host, target);
    host.returnFocus();
}

void reportKeptFiles(const Deletes::DeleteResult &result)
{
    QStringList parts;
    if (!result.keptFiles.isEmpty())
        parts.append(QStringLiteral("These files were not deleted because they lie outside the page folders "
                                    "or belong to another page:\n\n%1").arg(shortList(result.keptFiles)));
    if (!result.unremovedFiles.isEmpty())
        parts.append(QStringLiteral("These files could not be deleted and are still on the disk:\n\n%1")
                         .arg(shortList(result.unremovedFiles)));
    if (!parts.isEmpty())
        Prompt::instance().warning(parts.join(QStringLiteral("\n\n")));
}

bool targetIsOfKind(const CommandTarget &target, const QString &kind)
{
    if (target.prefix() == kind)
        return true;
    static const QHash<QString, QString> names = {{NodeKeys::Cabinet, QStringLiteral("cabinet")},
                                                  {NodeKeys::Drawer, QStringLiteral("drawer")},
                                                  {NodeKeys::Folder, QStringLiteral("folder")},
                                                  {NodeKeys::Document, QStringLiteral("document")}};
    Prompt::instance().warning(QStringLiteral("Please click on a %1.").arg(names.value(kind)));
    return false;
}

bool mayWorkIn(const QString &key, const QString &name)
{
    if (!NavQueries::recordExists(key)) {
        Prompt::instance().warning(QStringLiteral("'%1' no longer exists.").arg(name));
        return false;
    }
    const RecordId cabinet = NavRules::cabinetOf(key);
    return cabinet > 0 && Passwords::UnlockCabinet(cabinet);
}

void openDialogOnTarget(NavCommandHost &host, const QString &kind, bool treeUnlessList,
                        bool (*dialog)(QWidget *, RecordId))
{
    const CommandTarget target = host.commandTarget(kind, treeUnlessList);
    if (targetIsOfKind(target, kind)) {
        guard([&] {
            if (mayWorkIn(target.key, target.name))
                dialog(host.dialogParent(), target.id());
        });
    }
    host.returnFocus();
}

} // namespace NavCommandSteps
