#include "exchange/ExportRecord.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QList>

#include "exchange/CabinetTree.h"
#include "platform/FileSync.h"
#include "platform/NoFollowFiles.h"

namespace {

QString unescaped(const QByteArray &escaped)
{
    QByteArray raw;
    raw.reserve(escaped.size());
    for (qsizetype i = 0; i < escaped.size(); ++i) {
        const char c = escaped.at(i);
        if (c != '\\' || i + 1 == escaped.size()) {
            raw.append(c);
            continue;
        }
        const char next = escaped.at(++i);
        raw.append(next == 'n' ? '\n' : next == 'r' ? '\r' : next);
    }
    return QString::fromUtf8(raw);
}

// The record open for appending. One that cannot be (a link or a pipe in
// its place, say) is replaced by a new file, so its lines are lost, never
// written elsewhere: what they named is then left where it is.
int openForAppend(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDWR | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat st;
    if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
        return fd;
    if (fd >= 0)
        ::close(fd);
    return NoFollowFiles::createFile(path);
}

} // namespace

namespace ExportRecord {

QByteArray line(const QString &relative)
{
    QByteArray bytes = relative.toUtf8();
    bytes.replace("\\", "\\\\").replace("\n", "\\n").replace("\r", "\\r");
    return bytes + "\r\n";
}

QSet<QString> paths(const QByteArray &record)
{
    QList<QByteArray> lines = record.split('\n');
    lines.removeLast();   // what follows the last line end: nothing, or a line cut short
    QSet<QString> result;
    for (QByteArray &escaped : lines) {
        if (escaped.endsWith('\r'))
            escaped.chop(1);
        if (!escaped.isEmpty())
            result.insert(unescaped(escaped));
    }
    return result;
}

void Writer::start(const QString &cabinetFolder)
{
    m_path = cabinetFolder + QLatin1Char('/') + CabinetTree::RecordFileName;
    m_used = false;
    m_before = -1;
}

int Writer::add(const QString &relative)
{
    const int fd = openForAppend(QFile::encodeName(m_path));
    if (fd < 0)
        return errno;
    m_before = ::lseek(fd, 0, SEEK_END);
    QByteArray bytes = line(relative);
    // A line a power cut left without its end gets one, so that it does not
    // run into this one.
    char last = '\n';
    if (m_before > 0 && ::pread(fd, &last, 1, m_before - 1) == 1 && last != '\n')
        bytes.prepend("\r\n");
    int error = m_before < 0 ? errno : FileSync::writeAll(fd, bytes.constData(), bytes.size());
    if (::close(fd) != 0 && error == 0)
        error = errno;
    // A line written in part would name another file.
    if (error != 0)
        takeBack();
    m_used = m_used || error == 0;
    return error;
}

void Writer::takeBack()
{
    if (m_before < 0)
        return;
    const int fd = ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    // Best effort: a line left names a file that is not there.
    (void)::ftruncate(fd, m_before);
    ::close(fd);
    m_before = -1;
}

} // namespace ExportRecord
