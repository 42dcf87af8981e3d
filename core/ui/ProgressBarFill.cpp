#include "core/ui/ProgressBarFill.h"

#include <algorithm>

#include <QProgressBar>

namespace ProgressBarFill {

namespace {

constexpr qint64 kMostSteps = 10000;

} // namespace

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
    // A wide span is counted in at most kMostSteps: no bar shows more, and
    // the bar measures its text and tells accessibility at every change of
    // its value, which costs more than a step of a million-row pass.
    const qint64 maximum = std::min<qint64>(span, kMostSteps);
    bar->setRange(0, int(maximum));
    bar->setValue(int(maximum == span ? shown : qRound64(double(shown) / span * maximum)));
}

} // namespace ProgressBarFill
