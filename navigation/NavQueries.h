#pragma once

#include <QDate>
#include <QString>
#include <QVector>

#include "core/RecordId.h"

// The reads behind the navigation tree and the level lists. Each throws
// AppError.
namespace NavQueries {

struct Row
{
    RecordId id = 0;
    RecordId parentId = 0;
    QString name;
    QDate date;           // documents only
    bool locked = false;  // cabinets only: a password is stored
};

// Every cabinet, by name.
QVector<Row> cabinets();
// The drawers of a cabinet, by name.
QVector<Row> drawersOfCabinet(RecordId cabinetId);
// The folders of a drawer, in table order.
QVector<Row> foldersOfDrawer(RecordId drawerId);
// The documents of a folder, in table order.
QVector<Row> documentsOfFolder(RecordId folderId);
// The folders of every drawer of a cabinet (parentId = the drawer).
QVector<Row> foldersOfCabinet(RecordId cabinetId);
// The documents of every folder of a drawer (parentId = the folder).
QVector<Row> documentsOfDrawer(RecordId drawerId);

// Whether the cabinet, drawer, folder or document row of a node key is
// still there; false for any other key.
bool recordExists(const QString &key);

// A document node's text: the name, followed by " (MM/dd/yyyy)" when the
// document has a date.
QString documentNodeText(const QString &name, const QDate &date);

} // namespace NavQueries
