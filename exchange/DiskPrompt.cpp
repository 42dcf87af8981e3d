#include "exchange/DiskPrompt.h"

#include <QFileInfo>
#include <QStorageInfo>

#include "core/Prompt.h"

namespace DiskPrompt {

QString diskRefusal(const QString &path, bool forWriting)
{
    const QFileInfo info(path);
    if (!info.isDir() || !QStorageInfo(path).isReady())
        return QStringLiteral("'%1' does not exist.").arg(path);
    if (forWriting && !info.isWritable())
        return QStringLiteral("'%1' cannot be written.").arg(path);
    return QString();
}

std::optional<QString> askForDisk(const QString &text, const QString &currentPath, bool forWriting)
{
    Prompt &prompt = Prompt::instance();
    QString path = currentPath;
    for (;;) {
        const Prompt::DiskAnswer answer = prompt.insertDisk(text);
        if (answer == Prompt::DiskAnswer::Cancel)
            return std::nullopt;
        if (answer == Prompt::DiskAnswer::ChooseFolder) {
            const std::optional<QString> chosen = prompt.chooseFolder(path);
            if (!chosen)
                continue;
            path = *chosen;
        }
        const QString refusal = diskRefusal(path, forWriting);
        if (refusal.isEmpty())
            return path;
        prompt.warning(refusal);
    }
}

} // namespace DiskPrompt
