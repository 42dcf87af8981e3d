#pragma once

#include <QWidget>

class QLabel;
class QListWidget;

// The right-hand pane that shows a document's pages.
class PagePane : public QWidget
{
    Q_OBJECT

public:
    explicit PagePane(QWidget *parent = nullptr);
    ~PagePane() override;

    QListWidget *lvwThumb() const { return m_thumbs; }
    QLabel *lblStatus() const { return m_status; }
    // The document whose pages the pane shows; -1 for none.
    int documentId() const { return m_documentId; }
    void setDocumentId(int documentId) { m_documentId = documentId; }

private:
    QListWidget *m_thumbs;
    QLabel *m_status;
    int m_documentId = -1;
};
