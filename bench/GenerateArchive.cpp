// vlm_bench_generate: fills an empty data folder with a large archive for
// the benchmark, through the store's own schema and connection.

#include <cstdio>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>

#include "bench/ArchiveGenerator.h"
#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "store/Database.h"

namespace {

struct CountOption
{
    const char *name;
    qint64 ArchiveGenerator::Counts::*field;
};

const CountOption kCountOptions[] = {
    {"cabinets", &ArchiveGenerator::Counts::cabinets},
    {"drawers", &ArchiveGenerator::Counts::drawers},
    {"folders", &ArchiveGenerator::Counts::folders},
    {"documents", &ArchiveGenerator::Counts::documents},
    {"pages", &ArchiveGenerator::Counts::pages},
};

QString number(double n)
{
    return QLocale(QLocale::English).toString(qint64(n + 0.5));
}

void print(const QString &line)
{
    std::fprintf(stdout, "%s\n", qPrintable(line));
    std::fflush(stdout);
}

int fail(const QString &message)
{
    std::fprintf(stderr, "vlm_bench_generate: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Fills an empty data folder with a large archive for vlm_bench.\n"
        "Defaults: 10 cabinets, 1000 drawers, 10000 folders, 100000 documents,\n"
        "1000000 pages, plus the benchmark's document of 1000 pages."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("folder"),
                                 QStringLiteral("The data folder (default: $VLM_DATA_DIR)."));
    const ArchiveGenerator::Counts defaults;
    for (const CountOption &o : kCountOptions) {
        parser.addOption({QLatin1String(o.name), QStringLiteral("How many %1.").arg(QLatin1String(o.name)),
                          QStringLiteral("N"), QString::number(defaults.*o.field)});
    }
    parser.addOption({QStringLiteral("files"),
                      QStringLiteral("Also write a small image and thumbnail for every page.")});
    parser.addOption({QStringLiteral("no-benchmark-document"),
                      QStringLiteral("Leave out the benchmark's own cabinet and document.")});
    parser.process(app);

    ArchiveGenerator::Counts counts;
    for (const CountOption &o : kCountOptions) {
        bool ok = false;
        counts.*o.field = parser.value(QLatin1String(o.name)).toLongLong(&ok);
        if (!ok)
            return fail(QStringLiteral("--%1 needs a whole number.").arg(QLatin1String(o.name)));
    }
    const QString wrong = ArchiveGenerator::checkCounts(counts);
    if (!wrong.isEmpty())
        return fail(wrong);
    if (!parser.positionalArguments().isEmpty())
        qputenv("VLM_DATA_DIR", QFileInfo(parser.positionalArguments().constFirst()).absoluteFilePath().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("VLM_DATA_DIR"))
        return fail(QStringLiteral("Name the data folder, or set VLM_DATA_DIR."));
    QString error;
    if (!DataFolder::ensure(&error))
        return fail(error);
    // An archive is generated once into an empty folder; adding a second
    // one on top would double every count without saying so.
    if (QFileInfo::exists(Database::databaseFile()))
        return fail(QStringLiteral("\"%1\" exists already; use an empty folder.").arg(Database::databaseFile()));

    try {
        Database::OpenDatabase();
        Database::UpdateDatabase();
        ArchiveGenerator generator;
        generator.setWriteFiles(parser.isSet(QStringLiteral("files")));
        print(QStringLiteral("Generating into %1: %2 cabinets, %3 drawers, %4 folders, %5 documents, %6 pages%7")
                  .arg(DataFolder::path(), number(counts.cabinets), number(counts.drawers),
                       number(counts.folders), number(counts.documents), number(counts.pages),
                       parser.isSet(QStringLiteral("files")) ? QStringLiteral(", with files")
                                                              : QString()));
        const ArchiveGenerator::Result r =
            generator.generate(counts, !parser.isSet(QStringLiteral("no-benchmark-document")));
        DbConnection::close();
        print(QStringLiteral("Inserted %1 page rows and %2 other rows in %3 s")
                  .arg(number(r.pageRows), number(r.otherRows), QString::number(r.seconds, 'f', 2)));
        if (generator.writesFiles())
            print(QStringLiteral("generator: %1 pages/s with their files (the 100,000 rows/s target is for rows only)")
                      .arg(number(r.pageRowsPerSecond())));
        else
            print(QStringLiteral("generator: %1 page rows/s (target >= 100,000)").arg(number(r.pageRowsPerSecond())));
    } catch (const AppError &e) {
        return fail(e.message());
    }
    return 0;
}
