#pragma once

#include <QWidget>

#include <functional>
#include <memory>

#include "tools/ToolResult.h"

namespace Ui {
class frmMain;
}
class frmToolsProgress;

// The window of vlmtools: a button per maintenance tool, a note that
// describes the tool under the mouse, Advanced >> and Close. Each tool runs
// inside its button's click after its confirmation, with the tool buttons
// and Close disabled and the busy pointer shown, and ends with the tool's
// messages. The window owns the tools' progress window and makes it the
// progress view for its lifetime.
class frmMain : public QWidget
{
    Q_OBJECT

public:
    explicit frmMain(QWidget *parent = nullptr);
    ~frmMain() override;

    // "Vellumark Tools (version 1.2.3)": the version's three numbers as
    // plain integers ("01.02.3" gives "1.2.3").
    static QString caption(const QString &version);
    // The note of tool button n (0 to 4); the default hint for any other n.
    static QString noteText(int n);

    void ShowNote(int n);
    // Scanning Resolution, Close and the four file tools; Advanced >> stays.
    void DisableToolButtons();
    void EnableToolButtons();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private Q_SLOTS:
    void cmdScanRes_Click();
    void cmdAdvanced_Click();
    void cmdCompactDb_Click();
    void cmdDeleteThumbs_Click();
    void cmdFixLinks_Click();
    void cmdStartOver_Click();

private:
    void setToolButtonsEnabled(bool enabled);
    // Asks the question; on Yes runs the tool with the buttons disabled and
    // shows what it reports.
    void confirmAndRun(const QString &question, const std::function<ToolResult()> &tool);
    void runTool(const std::function<ToolResult()> &tool);
    // The three questions of a start over; true when all were passed.
    bool confirmStartOver();
    // One more question when "vlm.mdb" is not a usable database of ours or
    // a journal lies without it; true when there is none or it was passed.
    bool confirmDatabaseRemoval();
    // Says that another program holds the data folder when one does (vlm,
    // or a tool of another vlmtools), before any question of a tool that
    // cannot run then; true when it said so.
    bool refuseWhileVlmRuns();

    std::unique_ptr<Ui::frmMain> m_ui;
    frmToolsProgress *m_progress = nullptr;
    // A tool is running: the window may not close.
    bool m_busy = false;
};
