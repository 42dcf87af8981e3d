#pragma once

#include <QMutex>
#include <QString>
#include <QStringList>

// Records, while it lives, what every PageBirth syncs and when it commits:
// "sync <path>" for each file and folder, "commit" for each commit.
class BirthTrace
{
public:
    BirthTrace();
    ~BirthTrace();
    BirthTrace(const BirthTrace &) = delete;
    BirthTrace &operator=(const BirthTrace &) = delete;

    QStringList events() const;
    // True when path was synced and a commit followed.
    bool syncedBeforeCommit(const QString &path) const;
    // Makes the commit that follows the next sync fail: the files are on
    // the disk, their rows never commit.
    void failNextCommit() { m_failNextCommit = true; }

private:
    mutable QMutex m_mutex;
    QStringList m_events;
    bool m_failNextCommit = false;
};
