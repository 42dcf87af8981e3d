#pragma once

#include <QDate>
#include <QObject>
#include <QString>

#include "core/RecordId.h"
#include "core/RecordLevel.h"

// The news the logic libraries announce to whoever shows or forwards it:
// the navigation window adds and relabels its nodes, the mailer sends the
// new-page notices. Every emit runs the receivers at once, inside the call
// that made the change (often inside its transaction), in the order they
// connected; a receiver that has to outlive a single window connects with
// Qt::DirectConnection and a context object that ends the connection.
class Changes : public QObject
{
    Q_OBJECT

public:
    // The one channel of the run.
    static Changes &instance();

    explicit Changes(QObject *parent = nullptr);
    ~Changes() override;

Q_SIGNALS:
    // An import made a drawer, folder or document below parentId. Its node
    // goes below the parent's node when that is loaded, without taking the
    // selection. date: the document's date, invalid for none.
    void recordAdded(RecordLevel table, RecordId parentId, RecordId id, const QString &name,
                     const QDate &date);
    // The cabinet's password was given; its node shows it unlocked.
    void cabinetUnlocked(RecordId cabinetId, const QString &name);
    // A page came into a document (saved, scanned, pasted, dropped or
    // moved there): its folder's new-page notice is due.
    void pageAdded(RecordId pageId);
    // The notices of the pages added until noticeBatchEnded belong to one
    // batch (a feeder scan, a paste or drop of several files). Batches nest.
    void noticeBatchBegun();
    void noticeBatchEnded();
};

// While one lives, the new-page notices belong to one batch of pages (a
// feeder scan, a paste or drop of several files): a notice that fails ends
// the batch's notices, reported once at its end. Without a mailer
// listening, a batch does nothing.
class NoticeBatch
{
public:
    NoticeBatch();
    ~NoticeBatch();
    NoticeBatch(const NoticeBatch &) = delete;
    NoticeBatch &operator=(const NoticeBatch &) = delete;
};
