#pragma once

#include <vector>

#include <QString>

class QCoreApplication;

// Small helpers the benchmark's figures share: a stopwatch in
// milliseconds, medians, and the formatting of one result line.
namespace BenchTiming {

// Milliseconds since start, with sub-millisecond precision.
class Stopwatch
{
public:
    Stopwatch();
    double elapsedMs() const;

private:
    qint64 m_start;
};

// The median of the samples (the mean of the middle two for an even count);
// 0 for none.
double median(std::vector<double> samples);

// "3.20" style: two decimals below 10, one below 100, none above.
QString ms(double milliseconds);
// A count with thousands separators, "1,000,000".
QString count(double n);

// Writes one line to standard output at once.
void printLine(const QString &line);
// " ok" or " MISSED" for the end of a figure's line.
QString verdict(bool met);

// The options the image benchmarks share: --pages (when defaultPages is
// above 0), --runs, and --folder, a folder for the files they write
// (empty when not given). Counts below 1 become 1.
struct Options
{
    int pages = 0;
    int runs = 1;
    QString folder;
};
Options parseOptions(const QCoreApplication &app, const QString &description, int defaultPages, int defaultRuns,
                     const QString &folderHelp);

// Keeps the offscreen platform's notices about window features it lacks
// ("This plugin does not support ...") out of the figures' output.
void dropPlatformNotices();

} // namespace BenchTiming
