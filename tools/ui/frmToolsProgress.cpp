#include "tools/ui/frmToolsProgress.h"

#include <QPushButton>

#include "core/Progress.h"
#include "core/Prompt.h"
#include "core/ui/FormPosition.h"

frmToolsProgress::frmToolsProgress(QWidget *parent) : frmProgress(parent)
{
    FormPosition::SetTopMost(this, false);
    if (parent)
        setWindowIcon(parent->windowIcon());
    // Cancel is rewired to ask first; the base window would stop at once.
    auto *cancel = findChild<QPushButton *>(QStringLiteral("cmdCancel"));
    Q_ASSERT(cancel);
    disconnect(cancel, &QPushButton::clicked, this, nullptr);
    connect(cancel, &QPushButton::clicked, this, &frmToolsProgress::handleCancelClicked);
}

frmToolsProgress::~frmToolsProgress() = default;

void frmToolsProgress::handleCancelClicked()
{
    // The run waits inside this question; No and Cancel let it go on. The
    // window stays until the run ends, which it does at its next step.
    if (Prompt::instance().questionYesNoCancel(QStringLiteral("Stop repairing data?")) == Prompt::Answer::Yes)
        Progress::setProgressCancelled(true);
}
