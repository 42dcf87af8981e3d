#pragma once

#include "navigation/FindCriteria.h"
#include "navigation/FindQuery.h"

#include <QDate>
#include <QDialog>
#include <QHash>

#include <memory>

class QDateEdit;
class QTimer;
namespace Ui {
class frmFind;
}

// The search dialog: keywords, location and limits of a search, shown with
// the criteria of the last search of this run. Find stores them, runs the
// search and tells the window what it found; Cancel stores nothing.
class frmFind : public QDialog
{
    Q_OBJECT

public:
    explicit frmFind(QWidget *parent = nullptr);
    ~frmFind() override;

    // The ids the three location lists stand for now; 0 is "(All)".
    FindQuery::FindLocation location() const { return m_location; }

Q_SIGNALS:
    // A search is about to run: the previous results go.
    void searchStarted();
    // A search ran; its result may be empty.
    void searchFinished(const FindQuery::FindResult &result);

private Q_SLOTS:
    void Form_Load();
    void cmdFind_Click();
    void cmdReset_Click();
    void timer_Timer();
    void txtAmtFrom_LostFocus();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FillCabinetCombo();
    void FillDrawerCombo();
    void FillFolderCombo();
    // Handles one changed list; false when none had changed.
    bool SyncFindCombos();
    // Keeps the lists and ids in step until nothing changes.
    void syncAll();
    // A From date that changed goes to its Thru while that shows the
    // no-limit date.
    void copyFromDate(const QDateEdit *from, const QDate &date, QDateEdit *thru);
    void storeCriteria(FindCriteria &criteria) const;
    void switchTab(int step);

    std::unique_ptr<Ui::frmFind> m_ui;
    QTimer *m_timer = nullptr;
    bool IsLoading = false;
    bool m_syncing = false;
    FindQuery::FindLocation m_location;
    QString LastCabinetText;
    QString LastDrawerText;
    QString LastFolderText;
    // Each From date as it was when its editing last finished.
    QHash<const QDateEdit *, QDate> m_fromDates;
};
