#include "app/VlmApplication.h"

#include "core/Prompt.h"
#include "platform/AppError.h"

#include <exception>

VlmApplication::VlmApplication(int &argc, char **argv) : QApplication(argc, argv) {}

VlmApplication::~VlmApplication() = default;

bool VlmApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const AppError &e) {
        Prompt::instance().error(e.message());
    } catch (const std::exception &e) {
        Prompt::instance().error(AppError(ErrorCode::Unexpected, QString::fromLocal8Bit(e.what())).message());
    } catch (...) {
        Prompt::instance().error(
            AppError(ErrorCode::Unexpected, QStringLiteral("An unexpected failure ended the command.")).message());
    }
    return false;
}
