#include "tests/support/SaneTestDevice.h"

#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace SaneTestDevice {

void configure(const QStringList &options)
{
    const QString folder = TestEnvironment::root() + QStringLiteral("/sane");
    QDir().mkpath(folder);
    TestFiles::write(folder + QStringLiteral("/dll.conf"), QByteArrayLiteral("test\n"));
    TestFiles::write(folder + QStringLiteral("/test.conf"),
                     ((QStringList{QStringLiteral("number_of_devices 2")} + options).join(QLatin1Char('\n'))
                      + QLatin1Char('\n'))
                         .toUtf8());
    qputenv("SANE_CONFIG_DIR", QFile::encodeName(folder));
}

QString readStatus(const QString &status)
{
    return QStringLiteral("read-status-code \"%1\"").arg(status);
}

} // namespace SaneTestDevice
