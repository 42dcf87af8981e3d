#include "SaneTestDevice.h"

#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace {

void writeFile(const QString &path, const QString &text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text.toUtf8()) < 0)
        qFatal("cannot write %s", qPrintable(path));
}

} // namespace

namespace SaneTestDevice {

void configure(const QStringList &options)
{
    const QString folder = TestEnvironment::root() + QStringLiteral("/sane");
    QDir().mkpath(folder);
    writeFile(folder + QStringLiteral("/dll.conf"), QStringLiteral("test\n"));
    writeFile(folder + QStringLiteral("/test.conf"),
              (QStringList{QStringLiteral("number_of_devices 2")} + options).join(QLatin1Char('\n'))
                  + QLatin1Char('\n'));
    qputenv("SANE_CONFIG_DIR", QFile::encodeName(folder));
}

QString readStatus(const QString &status)
{
    return QStringLiteral("read-status-code \"%1\"").arg(status);
}

} // namespace SaneTestDevice
