#include "store/ui/ProgressBarFill.h"

#include <algorithm>
#include <limits>

#include <QProgressBar>

namespace ProgressBarFill {

void show(QProgressBar *bar, int position, int rangeMin, int rangeMax)
{
    // A range without steps (max below min) would divide by zero or less:
    // it shows an empty bar.
    const qint64 span = qint64(rangeMax) - rangeMin + 1;
    if (span <= 0) {
        bar->setRange(0, 1);
        bar->setValue(0);
        return;
    }
    const qint64 shown = std::clamp<qint64>(position, 0, span);
    // The bar counts in int; a wider span is scaled down to fit.
    const qint64 maximum = std::min<qint64>(span, std::numeric_limits<int>::max());
    bar->setRange(0, int(maximum));
    bar->setValue(int(maximum == span ? shown : qRound64(double(shown) / span * maximum)));
}

} // namespace ProgressBarFill
