#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

// Stand-ins for scanned pages in the image benchmarks: 300-dpi colour A4
// sheets that look like typed documents (off-white paper with a little
// scanner noise, a heading and lines of words), so that their JPEGs have
// about the size and entropy of real scans, not of a flat colour.
namespace ScannedPage {

// A4 at 300 dpi.
inline const QSize A4(2480, 3508);
constexpr int Dpi = 300;

// The page of one seed; the same seed gives the same page.
QImage make(int seed);

// How a page file is written: as the program stores its pages (its
// document quality factor), or as another program would hand one over
// (Qt quality 90, as the tests' image writer does).
enum class Writer { PageStore, Foreign };

// Writes pages 1..count as folder/<prefix>NNNN.jpg on threads threads at
// once, skipping files that are already there (a kept folder is reused),
// and returns their paths in order. Throws AppError when one cannot be
// written.
QStringList write(const QString &folder, int count, Writer writer, int threads,
                  const QString &prefix = QStringLiteral("page"));

} // namespace ScannedPage
