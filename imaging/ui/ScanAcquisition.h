#pragma once

#include <QImage>

#include <functional>

#include "imaging/ScanJob.h"

class QWidget;

// A batch of the program's scanner with a progress window: the device is
// read on a worker thread, so the windows repaint and the window's Cancel
// stops the device at once; the finished pages come to onPages on this
// thread, in order, while the next sheets are being read (those that came
// while earlier ones were handled come together). onPages returns how many
// of them it kept; fewer than all ends the batch (a page that could not be
// saved). With a quality to encode at, the pages come with their files
// encoded.
namespace ScanAcquisition {

using PagesHandler = std::function<int(const QList<PageSave::ScannedPage> &)>;

ScanEnd run(QWidget *parent, const ScanRequest &request, int encodeQuality, const PagesHandler &onPages);

} // namespace ScanAcquisition
