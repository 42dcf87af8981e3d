#pragma once

#include "core/Progress.h"

#include <QString>

// The bar and status line of the export and import dialogs, which the
// cabinet export and the cabinet tree import drive: a progress sink with a
// status line of two parts and a busy pointer besides. Every call lets
// pending events run, so that the dialog repaints and its Cancel is seen.
class ExchangeProgress : public ProgressView
{
public:
    // The range (Min, Max) of the bar, then the bar drawn at 0; the status
    // line keeps its text.
    virtual void Reset(int rangeMin, int rangeMax) = 0;
    // The status line: caption, a blank and the detail, shortened from the
    // detail's start to fit.
    virtual void showStatus(const QString &caption, const QString &detail) = 0;
    // The busy pointer over the dialog, while counting.
    virtual void setBusy(bool busy) = 0;
};
