#pragma once

#include <QImage>

#include <functional>

#include "ScanJob.h"

class QWidget;

// A batch of the program's scanner with a progress window: the device is
// read on a worker thread, so the windows repaint and the window's Cancel
// stops the device at once; each finished page comes to onPage on this
// thread, in order, while the next sheet is being read. onPage returns
// false to end the batch (a page that could not be saved). With a quality
// to encode at, the pages come with their files encoded.
namespace ScanAcquisition {

using PageHandler = std::function<bool(const QImage &, const PageSave::EncodedPage &)>;

ScanEnd Run(QWidget *parent, const ScanRequest &request, int encodeQuality, const PageHandler &onPage);

} // namespace ScanAcquisition
