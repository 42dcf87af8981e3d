#include "core/Guard.h"

#include "core/Prompt.h"
#include "platform/AppError.h"

#include <exception>

bool guard(const std::function<void()> &work)
{
    try {
        work();
        return true;
    } catch (const AppError &e) {
        // A cabinet whose disk is not connected is no fault of the program:
        // the user is told what to do, without an error number.
        if (e.code == int(ErrorCode::StorageUnavailable))
            Prompt::instance().warning(e.text);
        else
            Prompt::instance().error(e.message());
    } catch (const std::exception &e) {
        Prompt::instance().error(AppError(ErrorCode::Unexpected, QString::fromLocal8Bit(e.what())).message());
    }
    return false;
}
