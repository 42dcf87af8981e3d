#include "store/Guard.h"

#include "platform/DbError.h"
#include "store/Prompt.h"

#include <exception>

bool guard(const std::function<void()> &work)
{
    try {
        work();
        return true;
    } catch (const DbError &e) {
        Prompt::instance().error(e.message());
    } catch (const std::exception &e) {
        Prompt::instance().error(DbError(ErrorCode::Unexpected, QString::fromLocal8Bit(e.what())).message());
    }
    return false;
}
