#include "navigation/NavState.h"

#include "core/RecordId.h"
#include "core/RunState.h"
#include "navigation/NavKeys.h"
#include "platform/Settings.h"

#include <QLocale>

#include <cmath>

void CurrentPosition::setFromNode(const QString &key, const QString &text, const QString &parentKey)
{
    reset();
    const QString prefix = NavKeys::prefixOf(key);
    const RecordId id = NavKeys::idOf(key);
    const RecordId parent = NavKeys::idOf(parentKey);
    if (prefix == NavKeys::Cabinet) {
        CurrentCabinetId = id;
        CurrentCabinetName = text;
    } else if (prefix == NavKeys::Drawer) {
        CurrentDrawerId = id;
        CurrentDrawerName = text;
        CurrentParentId = parent;
    } else if (prefix == NavKeys::Folder) {
        CurrentFolderId = id;
        CurrentFolderName = text;
        CurrentParentId = parent;
    } else if (prefix == NavKeys::Document) {
        CurrentDocumentId = id;
        CurrentDocumentName = text;
        CurrentParentId = parent;
    }
}

int StartupSettings::displayCountFrom(const QString &text)
{
    bool ok = false;
    const double v = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(v))
        return 20;
    return int(qBound(1.0, std::nearbyint(v), 64.0));
}

StartupSettings StartupSettings::read()
{
    StartupSettings s;
    s.ZoomMode = Settings::value(QStringLiteral("ZoomDefault"), QStringLiteral("NONE"));
    s.PagePaneDisplayCount = displayCountFrom(Settings::value(QStringLiteral("DisplayCount"), QStringLiteral("20")));
    s.ThumbnailSide = 100;
    s.PagePaneViewMode = Settings::value(QStringLiteral("ThumbView"), QStringLiteral("thumbnail"));
    return s;
}

NavState &NavState::instance()
{
    static NavState s;
    // A new data folder starts from nothing: no position, the settings'
    // defaults until they are read again.
    [[maybe_unused]] static const bool registered = (RunState::AddReset([] { s = NavState(); }), true);
    return s;
}
