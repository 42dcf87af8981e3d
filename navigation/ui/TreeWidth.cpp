#include "navigation/ui/TreeWidth.h"

#include "core/AppSettings.h"

#include <QSplitter>

namespace {

// Twips, the unit the tree width is stored in, at 96 dpi.
constexpr int kTwipsPerPixel = 15;
constexpr int kMinimumPaneTwips = 1000;

} // namespace

int TreeWidth::minimumPanePixels()
{
    return kMinimumPaneTwips / kTwipsPerPixel;
}

void TreeWidth::restore(QSplitter *splitter, int windowWidth)
{
    const int treePx = AppSettings::tvwMainWidth.read() / kTwipsPerPixel;
    splitter->setSizes({treePx, qMax(windowWidth - treePx, minimumPanePixels())});
}

void TreeWidth::save(const QSplitter *splitter)
{
    const QList<int> sizes = splitter->sizes();
    if (!sizes.isEmpty())
        AppSettings::tvwMainWidth.write(sizes.first() * kTwipsPerPixel);
}
