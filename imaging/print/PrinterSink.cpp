#include "imaging/print/PrinterSink.h"

#include <QPainter>
#include <QPrinter>

namespace {

std::function<void(QPrinter &)> &jobHook()
{
    static std::function<void(QPrinter &)> hook;
    return hook;
}

} // namespace

PrinterSink::PrinterSink(QPrinter &printer) : m_printer(printer)
{
}

QSize PrinterSink::resolution() const
{
    return QSize(m_printer.logicalDpiX(), m_printer.logicalDpiY());
}

std::optional<AppError> PrinterSink::printJob(const QImage &image, const QSize &size)
{
    if (jobHook())
        jobHook()(m_printer);
    QPainter painter;
    if (!painter.begin(&m_printer))
        return AppError(ErrorCode::PrintFailed,
                        QStringLiteral("The printer %1 could not start the print job.").arg(deviceName()));
    // The origin is the printable area's top-left corner: the page is
    // placed there at its printed size, never centred or fitted.
    painter.drawImage(QRect(QPoint(0, 0), size), image);
    if (!painter.end() || m_printer.printerState() == QPrinter::Error)
        return AppError(ErrorCode::PrintFailed,
                        QStringLiteral("The printer %1 could not finish the print job.").arg(deviceName()));
    return std::nullopt;
}

void PrinterSink::setJobHook(std::function<void(QPrinter &)> hook)
{
    jobHook() = std::move(hook);
}

QString PrinterSink::deviceName() const
{
    if (m_printer.outputFormat() == QPrinter::PdfFormat)
        return QStringLiteral("\"%1\"").arg(m_printer.outputFileName());
    return QStringLiteral("\"%1\"").arg(m_printer.printerName());
}
