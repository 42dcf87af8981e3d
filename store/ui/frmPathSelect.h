#pragma once

#include <QDialog>
#include <QString>

#include <memory>

class QFileSystemModel;
class QModelIndex;

namespace Ui {
class frmPathSelect;
}

// Asks the user for a folder: a list of volumes (the home folder, the root
// and every mounted volume), the folder tree and the chosen path. OK
// remembers the folder in the PathSelect setting; Cancel, Esc and
// closing the window change nothing. The window keeps its placement.
class frmPathSelect : public QDialog
{
    Q_OBJECT

public:
    explicit frmPathSelect(QWidget *parent = nullptr);
    ~frmPathSelect() override;

    // Shows the folder in the tree and its volume in the list. False, with
    // nothing changed, when it is not an existing folder.
    bool showPath(const QString &path);
    // The folder chosen (the path box, absolute and cleaned).
    QString path() const;

    // Shows the chooser modally, starting at the folder in path, else the
    // PathSelect setting, else the home folder (a start folder that does
    // not exist gives the home folder). On OK path receives the folder and
    // true is returned; otherwise path is left as it was.
    static bool SelectPath(QWidget *parent, QString &path);
    // Whether the last SelectPath was cancelled (also by closing the window).
    static bool PathSelectCancelled();

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private Q_SLOTS:
    void drvBox_Click(int index);
    void dirBox_Change(const QModelIndex &current);
    void dirBox_Click(const QModelIndex &index);
    void cmdOK_Click();
    void handleModelChanged();

private:
    void fillVolumes();
    void selectVolumeOf(const QString &path);
    void scrollToCurrentLater();

    std::unique_ptr<Ui::frmPathSelect> m_ui;
    QFileSystemModel *m_model;
    int m_volume = -1;  // the list entry shown, restored when a volume is not ready
    bool m_scrollPending = false;  // keep the chosen folder in view while the tree loads
};
