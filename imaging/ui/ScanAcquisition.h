#pragma once

#include <QImage>

#include <functional>

#include "Scanner.h"

class QWidget;

// A batch of the program's scanner with a progress window: the device is
// read on a worker thread, so the windows repaint and the window's Cancel
// stops the device at once; each finished page comes to onPage on this
// thread, in order, while the next sheet is being read. onPage returns
// false to end the batch (a page that could not be saved).
namespace ScanAcquisition {

ScanEnd Run(QWidget *parent, const ScanRequest &request, const std::function<bool(const QImage &)> &onPage);

} // namespace ScanAcquisition
