#include "tests/support/TestFiles.h"

#include "tests/support/TestEnvironment.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QFileInfo>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace TestFiles {

void write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path + QLatin1String(": ") + file.errorString()));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

namespace {

QByteArray rawPath(const QString &dir, const QByteArray &rawName)
{
    QByteArray path = QFile::encodeName(dir);
    if (!path.endsWith('/'))
        path += '/';
    return path + rawName;
}

} // namespace

void writeRaw(const QString &dir, const QByteArray &rawName, const QByteArray &bytes)
{
    const QByteArray path = rawPath(dir, rawName);
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    QVERIFY2(fd >= 0, path.constData());
    const ssize_t written = ::write(fd, bytes.constData(), size_t(bytes.size()));
    ::close(fd);
    QCOMPARE(qint64(written), qint64(bytes.size()));
}

void makeRawDirectory(const QString &dir, const QByteArray &rawName)
{
    const QByteArray path = rawPath(dir, rawName);
    QVERIFY2(::mkdir(path.constData(), 0755) == 0, path.constData());
}

QString pathUnderFile(const QString &name)
{
    const QString blocker = TestEnvironment::root() + QLatin1Char('/') + name;
    write(blocker, QByteArray());
    return blocker + QLatin1String("/data");
}

void blockDataFolder(const QString &name)
{
    qputenv("VLM_DATA_DIR", QFile::encodeName(pathUnderFile(name)));
}

void writeForeignDatabase(const QString &path, const QStringList &statements)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("foreign"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery q(db);
        for (const QString &sql : statements)
            QVERIFY2(q.exec(sql), qPrintable(sql));
        q.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("foreign"));
}

QString tempPath(const QString &name)
{
    return TestEnvironment::root() + QLatin1Char('/') + name;
}

QString madeTempPath(const QString &name)
{
    const QString path = tempPath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    return path;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QVERIFY2(QDir().mkpath(QFileInfo(path).absolutePath()), qPrintable(path));
    write(path, bytes);
}

QByteArray hashOf(const QString &path)
{
    return QCryptographicHash::hash(read(path), QCryptographicHash::Sha256);
}

} // namespace TestFiles
