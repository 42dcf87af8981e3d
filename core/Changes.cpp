#include "core/Changes.h"

Changes &Changes::instance()
{
    static Changes changes;
    return changes;
}

Changes::Changes(QObject *parent) : QObject(parent) {}

Changes::~Changes() = default;

NoticeBatch::NoticeBatch()
{
    Q_EMIT Changes::instance().noticeBatchBegun();
}

NoticeBatch::~NoticeBatch()
{
    Q_EMIT Changes::instance().noticeBatchEnded();
}
