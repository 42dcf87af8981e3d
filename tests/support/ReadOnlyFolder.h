#pragma once

#include <QString>

// A folder in which nothing can be created, renamed or deleted, also for
// root: its write permissions are taken away and, where the process may,
// the file system's immutable flag is set on it. Both are undone when the
// object goes, so the test's temporary folder can be removed.
class ReadOnlyFolder
{
public:
    explicit ReadOnlyFolder(const QString &path);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder &) = delete;
    ReadOnlyFolder &operator=(const ReadOnlyFolder &) = delete;

    // False when neither took hold (root where the flag cannot be set): the
    // test cannot make its failure and should skip.
    bool holds() const { return m_holds; }

private:
    bool setImmutable(bool on);

    QString m_path;
    bool m_immutable = false;
    bool m_holds = false;
};
