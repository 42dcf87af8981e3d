#include "TestFiles.h"

#include "TestEnvironment.h"

#include <QFile>
#include <QtTest>

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

} // namespace TestFiles
