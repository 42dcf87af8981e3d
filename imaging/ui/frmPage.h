#pragma once

#include <QDialog>
#include <QList>

#include <memory>

#include "core/RecordId.h"

namespace Ui {
class frmPage;
}

// The page properties: what the store knows of one page, or a summary of
// several pages selected together. Read-only.
class frmPage : public QDialog
{
    Q_OBJECT

public:
    explicit frmPage(QWidget *parent = nullptr);
    ~frmPage() override;

    // The page Populate describes.
    RecordId PageId = 0;

    void Populate();
    // The pages selected in the page list, in list order.
    void PopulateMultiple(const QList<RecordId> &selectedPageIds);

    // Shows the properties modally: of the one page, or of the summary of
    // two or more.
    static void showPageProperties(QWidget *parent, const QList<RecordId> &selectedPageIds);

private:
    std::unique_ptr<Ui::frmPage> m_ui;
};
