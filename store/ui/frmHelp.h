#pragma once

#include <QDialog>
#include <QList>
#include <QMap>
#include <QStringList>

#include <memory>

class QLabel;

namespace Ui {
class frmHelp;
}

// The help viewer: the table of contents of the help file, whose entries
// open their topics, and the topics page by page. Modeless and kept on top;
// every screen reads the help file again.
class frmHelp : public QDialog
{
    Q_OBJECT

public:
    // Opens on the table of contents, placed at the lower right of the
    // navigation window when one is given.
    explicit frmHelp(QWidget *navigationWindow = nullptr);
    ~frmHelp() override;

    // Shows the one help window (raising it when it is open already). False,
    // and nothing shown, when there is no help text.
    static bool showHelp(QWidget *navigationWindow);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ShowHelpPosition();
    // Shows the wanted screen. False when the wanted page is not in the
    // file: the screen shown before then stays as it is.
    bool ShowHelpSection();
    void ShowHelpToc(const QStringList &lines, int from);
    void ShowHelpPage(const QStringList &lines, int from);
    void clearEntries();
    void highlightEntry(int index);
    void placeNear(const QWidget *navigationWindow);

    void lblLine_Click(int index);
    void cmdTOC_Click();
    void cmdPrev_Click();
    void cmdNext_Click();
    void cmdClose_Click();

    std::unique_ptr<Ui::frmHelp> m_ui;
    QList<QLabel *> m_lblLine;
    QMap<int, QString> m_entryTitles;  // titles as written, by entry number

    int HelpTopic = -1;  // -1: the table of contents
    QString HelpTopicTitle;
    int HelpPage = 1;
    int HelpLastPage = 1;
};
