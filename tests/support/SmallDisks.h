#pragma once

#include "exchange/FileCopier.h"

#include <QFileInfo>
#include <QMap>
#include <QSet>

#include <cerrno>

// Folders that act as small disks for the export: the bytes written below
// each are counted, and a write that would pass its capacity fails as a
// full disk does (ENOSPC), leaving nothing behind. Writes elsewhere go
// through uncounted. Needs vlm_exchange.
class SmallDisks : public FileCopier
{
public:
    void addDisk(const QString &folder, qint64 capacity) { m_disks.insert(folder + QLatin1Char('/'), {capacity, 0}); }
    // The next write to exactly this target fails as a full disk does, once:
    // the disk that was in the drive is full, the next one takes the file.
    void addFullTarget(const QString &target) { m_fullOnce.insert(target); }

    Result copyFile(const QString &source, const QString &target) override
    {
        return counted(target, QFileInfo(source).size(), [&] { return FileCopier::copyFile(source, target); });
    }
    Result writeFile(const QString &target, const QByteArray &bytes) override
    {
        return counted(target, bytes.size(), [&] { return FileCopier::writeFile(target, bytes); });
    }

private:
    struct Disk
    {
        qint64 capacity;
        qint64 used;
    };

    template<class Write>
    Result counted(const QString &target, qint64 size, Write write)
    {
        if (m_fullOnce.remove(target))
            return failure(ENOSPC, target);
        for (auto it = m_disks.begin(); it != m_disks.end(); ++it) {
            if (!target.startsWith(it.key()))
                continue;
            if (it->used + size > it->capacity)
                return failure(ENOSPC, target);
            const Result r = write();
            if (r.ok())
                it->used += size;
            return r;
        }
        return write();
    }

    QMap<QString, Disk> m_disks;
    QSet<QString> m_fullOnce;
};
