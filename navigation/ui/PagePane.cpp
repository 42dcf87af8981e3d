#include "PagePane.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

PagePane::PagePane(QWidget *parent)
    : QWidget(parent), m_thumbs(new QListWidget(this)), m_status(new QLabel(this))
{
    setObjectName(QStringLiteral("PagePane"));
    m_thumbs->setObjectName(QStringLiteral("lvwThumb"));
    m_thumbs->setViewMode(QListView::IconMode);
    m_thumbs->setIconSize(QSize(100, 100));
    m_thumbs->setResizeMode(QListView::Adjust);
    m_thumbs->setMovement(QListView::Static);
    m_thumbs->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_status->setObjectName(QStringLiteral("lblStatus"));

    auto *footer = new QHBoxLayout;
    footer->addWidget(m_status, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_thumbs, 1);
    layout->addLayout(footer);
}

PagePane::~PagePane() = default;
