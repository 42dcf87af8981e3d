#pragma once

#include "core/ui/frmProgress.h"

// The tools' progress window: the program's progress window, except that
// Cancel first asks "Stop repairing data?" (only Yes stops the run), that it
// is not kept above other programs' windows, and that it takes the icon of
// the window it belongs to.
class frmToolsProgress : public frmProgress
{
    Q_OBJECT

public:
    explicit frmToolsProgress(QWidget *parent = nullptr);
    ~frmToolsProgress() override;

private Q_SLOTS:
    void handleCancelClicked();
};
