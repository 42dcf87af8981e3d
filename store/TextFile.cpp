#include "store/TextFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#include "platform/AppError.h"
#include "platform/PathFacts.h"

namespace {

AppError refused(const QString &path, const QString &reason)
{
    return AppError(ErrorCode::InvalidValue, QStringLiteral("%1: %2").arg(path, reason));
}

// Why the file opened from path (its status is opened) may not be read as
// part of the tree at root; nothing when it may. Resolved after the open
// and compared by device and inode, so a link put in its place between the
// check and the read cannot pass.
std::optional<AppError> outsideTree(const QString &path, const struct stat &opened, const QString &root)
{
    const QByteArray target = PathFacts::realPath(QFile::encodeName(path));
    struct stat resolved;
    if (target.isEmpty() || ::stat(target.constData(), &resolved) != 0 || resolved.st_dev != opened.st_dev
        || resolved.st_ino != opened.st_ino)
        return refused(path, QStringLiteral("It was replaced while it was being read."));
    const QByteArray top = PathFacts::realPath(QFile::encodeName(root));
    if (top.isEmpty() || (target != top && !PathFacts::isInside(target, top)))
        return refused(path, QStringLiteral("It is a link that leads out of the folder being imported (to %1).")
                                 .arg(QFile::decodeName(target)));
    return std::nullopt;
}

} // namespace

namespace TextFile {

QString decode(const QByteArray &bytes)
{
    // Stateless: a sequence cut off by the end of the file is an error too,
    // where the default decoder keeps it back for more input and the last
    // character of a Latin-1 file without a final line end is lost.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    // A byte-order mark would otherwise hide the first entry.
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

QStringList splitLines(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();  // the end of the last line, not an empty line
    return lines;
}

QString trimSpaces(const QString &s)
{
    int begin = 0;
    int end = s.size();
    while (begin < end && s.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && s.at(end - 1) == QLatin1Char(' '))
        --end;
    return s.mid(begin, end - begin);
}

Entry entryOf(const QString &line)
{
    const QString trimmed = trimSpaces(line);
    const int eq = trimmed.indexOf(QLatin1Char('='));
    return {trimmed.left(3), eq < 0 ? QString() : trimSpaces(trimmed.mid(eq + 1))};
}

QString joinCrLf(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines)
        text += line + QLatin1String("\r\n");
    return text;
}

bool read(const QString &path, QString *text)
{
    QFile file(path);
    if (!file.exists())
        return false;
    if (!file.open(QIODevice::ReadOnly))
        throw fileError(file, path);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw fileError(file, path);
    *text = decode(bytes);
    return true;
}

bool read(const QString &path, QString *text, qint64 maxBytes, const QString &root)
{
    const QByteArray raw = QFile::encodeName(path);
    int fd;
    do {
        // Non-blocking, so that a FIFO in the file's place cannot hold the reader.
        fd = ::open(raw.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int openErrno = errno;
        // What a tree holds in the file's place and does not open is named:
        // a link to nothing (or round in a loop), a socket.
        struct stat entry;
        if (!root.isEmpty() && ::lstat(raw.constData(), &entry) == 0) {
            if (S_ISLNK(entry.st_mode) && (openErrno == ENOENT || openErrno == ELOOP))
                throw refused(path, QStringLiteral("It is a link that leads nowhere."));
            if (::stat(raw.constData(), &entry) == 0 && !S_ISREG(entry.st_mode))
                throw refused(path, QStringLiteral("It is not a regular file."));
        }
        if (openErrno == ENOENT)
            return false;
        throw errnoError(openErrno, path);
    }
    struct stat st;
    const int statResult = ::fstat(fd, &st);
    const int statErrno = errno;
    const std::optional<AppError> outside =
        statResult == 0 && !root.isEmpty() ? outsideTree(path, st, root) : std::nullopt;
    QFile file;
    if (statResult != 0 || outside || !S_ISREG(st.st_mode) || st.st_size > maxBytes
        || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        if (statResult != 0)
            throw errnoError(statErrno, path);
        if (outside)
            throw *outside;
        if (!S_ISREG(st.st_mode))
            throw AppError(ErrorCode::InvalidValue, QStringLiteral("%1: It is not a regular file.").arg(path));
        if (st.st_size > maxBytes)
            throw AppError(ErrorCode::InvalidValue,
                           QStringLiteral("%1: The file is larger than %2 bytes; it was not read.").arg(path).arg(maxBytes));
        throw fileError(file, path);
    }
    // Bounded again: the file may have grown since it was measured.
    const QByteArray bytes = file.read(maxBytes);
    if (file.error() != QFileDevice::NoError)
        throw fileError(file, path);
    *text = decode(bytes);
    return true;
}

bool write(const QString &path, const QString &text, QString *error)
{
    const QByteArray bytes = text.toUtf8();
    QSaveFile file(path);
    AppError failure;
    // Unbuffered, a short write (disk full, size limit) shows in write()'s
    // result; a buffered one can go unnoticed and commit a truncated file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        failure = fileError(file, path);
    } else {
        errno = 0;
        if (file.write(bytes) != bytes.size()) {
            const int writeErrno = errno;
            failure = writeErrno != 0 ? errnoError(writeErrno, path) : fileError(file, path);
        } else if (file.commit()) {
            return true;
        } else {
            failure = fileError(file, path);
        }
    }
    // An uncommitted QSaveFile drops its temporary file: the old file stays.
    if (error)
        *error = failure.message();
    return false;
}

} // namespace TextFile
