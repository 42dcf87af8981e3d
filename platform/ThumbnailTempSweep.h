#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <string_view>
#include <thread>

#include <time.h>

// Removes what killed thumbnail writes left in the data folder's "Thumbs":
// a thumbnail is written to "<id>.jpg." plus six letters or digits beside
// its place and renamed over it, so a program killed in between leaves that
// file. An archive of a million pages has a thousand bucket folders, too
// many to walk before the window shows, so the sweep runs on a thread of
// its own from the moment it is made.
//
// Only regular files so named, inside the bucket folders (seven-digit
// names) of "Thumbs", and last changed before the sweep was made, are
// removed: a thumbnail this run is writing is newer. "Thumbs" may itself be
// a link (a store moved to another disk); no link inside it is followed or
// removed. Make it only while holding "vlm.lock": no other program is then
// writing thumbnails, and one that starts later writes files newer than the
// sweep, which it keeps, so the lock need not be held while it runs.
class ThumbnailTempSweep
{
public:
    // Starts sweeping the thumbnail folder (the data folder's "Thumbs" when
    // none is named).
    explicit ThumbnailTempSweep(const QString &thumbsFolder = QString());
    // Stops the sweep at its next file and waits for the thread.
    ~ThumbnailTempSweep();
    ThumbnailTempSweep(const ThumbnailTempSweep &) = delete;
    ThumbnailTempSweep &operator=(const ThumbnailTempSweep &) = delete;

    // Waits until the sweep has looked at every bucket folder.
    void wait();
    // How many files the sweep removed so far.
    int removed() const { return m_removed.load(); }

    // True for "<digits>.jpg." followed by exactly six letters or digits.
    static bool isTemporaryName(std::string_view name);
    // True for a bucket folder's name, the first seven digits of the
    // padded page id (PagePaths::bucket): the folders the program makes in
    // "Pages" and "Thumbs".
    static bool isBucketName(std::string_view name);

private:
    void run();
    void sweepBucket(int thumbs, const char *bucket);
    bool olderThanStart(const struct stat &st) const;

    QByteArray m_folder;
    timespec m_start{};
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_removed{0};
    std::thread m_thread;
};
