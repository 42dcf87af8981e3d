#include "bench/BenchTiming.h"

#include <algorithm>
#include <cstdio>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLocale>
#include <QtGlobal>

namespace {

qint64 nowNs()
{
    // One monotonic clock for every figure; QElapsedTimer picks it.
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.nsecsElapsed();
}

QtMessageHandler g_previousHandler = nullptr;

void skipPlatformNotices(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    g_previousHandler(type, context, message);
}

} // namespace

namespace BenchTiming {

Stopwatch::Stopwatch() : m_start(nowNs())
{
}

double Stopwatch::elapsedMs() const
{
    return (nowNs() - m_start) / 1e6;
}

double median(std::vector<double> samples)
{
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const size_t mid = samples.size() / 2;
    return samples.size() % 2 ? samples[mid] : (samples[mid - 1] + samples[mid]) / 2;
}

QString ms(double milliseconds)
{
    const int decimals = milliseconds < 10 ? 2 : milliseconds < 100 ? 1 : 0;
    return QString::number(milliseconds, 'f', decimals) + QStringLiteral(" ms");
}

QString count(double n)
{
    return QLocale(QLocale::English).toString(qint64(n + 0.5));
}

void printLine(const QString &line)
{
    std::fprintf(stdout, "%s\n", qPrintable(line));
    std::fflush(stdout);
}

QString verdict(bool met)
{
    return met ? QStringLiteral(" ok") : QStringLiteral(" MISSED");
}

Options parseOptions(const QCoreApplication &app, const QString &description, int defaultPages, int defaultRuns,
                     const QString &folderHelp)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(description);
    parser.addHelpOption();
    const QCommandLineOption pagesOption(QStringLiteral("pages"),
                                         QStringLiteral("Pages (default %1).").arg(defaultPages),
                                         QStringLiteral("n"), QString::number(defaultPages));
    const QCommandLineOption runsOption(QStringLiteral("runs"), QStringLiteral("Runs of each (default %1).").arg(defaultRuns),
                                        QStringLiteral("n"), QString::number(defaultRuns));
    const QCommandLineOption folderOption(QStringLiteral("folder"), folderHelp, QStringLiteral("folder"));
    if (defaultPages > 0)
        parser.addOption(pagesOption);
    parser.addOption(runsOption);
    parser.addOption(folderOption);
    parser.process(app);
    Options options;
    options.pages = defaultPages > 0 ? qMax(1, parser.value(pagesOption).toInt()) : 0;
    options.runs = qMax(1, parser.value(runsOption).toInt());
    if (parser.isSet(folderOption))
        options.folder = QDir(parser.value(folderOption)).absolutePath();
    return options;
}

void dropPlatformNotices()
{
    g_previousHandler = qInstallMessageHandler(skipPlatformNotices);
}

} // namespace BenchTiming
