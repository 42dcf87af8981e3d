#pragma once

#include <functional>

#include "imaging/PagePrinter.h"

class QPrinter;

// Prints pages on a QPrinter, one job per page, at the printer's own
// resolution.
class PrinterSink : public PrintSink
{
public:
    explicit PrinterSink(QPrinter &printer);

    QSize resolution() const override;
    [[nodiscard]] std::optional<AppError> printJob(const QImage &image, const QSize &size) override;

    // Runs before every job on the printer about to print it; the tests
    // send each job to a PDF file of its own this way. An empty function
    // removes it.
    static void setJobHook(std::function<void(QPrinter &)> hook);

private:
    QString deviceName() const;

    QPrinter &m_printer;
};
