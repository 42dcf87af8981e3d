#include "navigation/ui/TreeWidth.h"

#include "platform/Settings.h"

#include <QLocale>
#include <QSplitter>

namespace {

// Twips, the unit the tree width is stored in, at 96 dpi.
constexpr int kTwipsPerPixel = 15;
constexpr int kDefaultTreeTwips = 3000;
constexpr int kMinimumPaneTwips = 1000;

int treeWidthTwips()
{
    bool ok = false;
    const double v = QLocale::c().toDouble(
        Settings::value(QStringLiteral("tvwMainWidth"), QString::number(kDefaultTreeTwips)).trimmed(), &ok);
    // A stored width that is not a number falls back to the default.
    return ok && v > 0 && v < 1e7 ? int(v) : kDefaultTreeTwips;
}

} // namespace

int TreeWidth::minimumPanePixels()
{
    return kMinimumPaneTwips / kTwipsPerPixel;
}

void TreeWidth::restore(QSplitter *splitter, int windowWidth)
{
    const int treePx = treeWidthTwips() / kTwipsPerPixel;
    splitter->setSizes({treePx, qMax(windowWidth - treePx, minimumPanePixels())});
}

void TreeWidth::save(const QSplitter *splitter)
{
    const QList<int> sizes = splitter->sizes();
    if (!sizes.isEmpty())
        Settings::setValue(QStringLiteral("tvwMainWidth"), QString::number(sizes.first() * kTwipsPerPixel));
}
