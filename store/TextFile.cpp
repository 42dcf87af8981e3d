#include "store/TextFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#include "platform/DbError.h"

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

bool read(const QString &path, QString *text, qint64 maxBytes)
{
    const QByteArray raw = QFile::encodeName(path);
    int fd;
    do {
        // Non-blocking, so that a FIFO in the file's place cannot hold the reader.
        fd = ::open(raw.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (errno == ENOENT)
            return false;
        throw errnoError(errno, path);
    }
    struct stat st;
    const int statResult = ::fstat(fd, &st);
    const int statErrno = errno;
    QFile file;
    if (statResult != 0 || !S_ISREG(st.st_mode) || st.st_size > maxBytes
        || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        if (statResult != 0)
            throw errnoError(statErrno, path);
        if (!S_ISREG(st.st_mode))
            throw DbError(ErrorCode::InvalidValue, QStringLiteral("%1: It is not a regular file.").arg(path));
        if (st.st_size > maxBytes)
            throw DbError(ErrorCode::InvalidValue,
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
    DbError failure;
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
