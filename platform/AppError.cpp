#include "platform/AppError.h"

#include <QFileDevice>
#include <QSqlError>

#include <cerrno>
#include <cstring>

AppError sqlError(const QSqlError &error, const QString &context)
{
    bool ok = false;
    int code = error.nativeErrorCode().toInt(&ok);
    if (!ok)
        code = int(ErrorCode::Unexpected);
    QString text = error.databaseText();
    if (text.isEmpty())
        text = error.driverText();
    if (text.isEmpty())
        text = context;
    return AppError(code, text);
}

AppError fileError(const QFileDevice &file, const QString &path)
{
    // QFileDevice keeps no errno; the failing call has just set it. When it
    // has been cleared since, the device's error class gives the nearest one.
    int code = errno;
    if (code == 0) {
        switch (file.error()) {
        case QFileDevice::PermissionsError: code = EACCES; break;
        case QFileDevice::ResourceError: code = ENOSPC; break;
        case QFileDevice::OpenError: code = ENOENT; break;
        case QFileDevice::TimeOutError: code = ETIMEDOUT; break;
        default: code = EIO; break;
        }
    }
    return AppError(code, QStringLiteral("%1: %2").arg(path, file.errorString()));
}

AppError errnoError(int errnoValue, const QString &path)
{
    return AppError(errnoValue, QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errnoValue))));
}
