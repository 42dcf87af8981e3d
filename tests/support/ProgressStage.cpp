#include "tests/support/ProgressStage.h"

#include <QtTest>

#include "core/Progress.h"
#include "core/ui/frmProgress.h"

ProgressStage::ProgressStage(int progressWindows)
{
    m_main.show();
    m_main.activateWindow();
    m_ready = QTest::qWaitForWindowActive(&m_main);
    frmProgress *program = frmProgress::install();
    m_scan = std::make_unique<frmProgress>(&m_main);
    m_expected = &m_main;
    if (progressWindows >= 1) {
        Progress::StartProgress(QStringLiteral("Saving page"), 1, 4);
        m_expected = program;
    }
    if (progressWindows >= 2) {
        m_scan->start(QStringLiteral("Scanning page 1"), 1, 1, true);
        m_expected = m_scan.get();
    }
}

ProgressStage::~ProgressStage() = default;

void ProgressStage::stopScan()
{
    m_scan->StopProgress();
}
