// Times the search on a generated archive: a one-keyword search over every
// cabinet, a search that finds about 10,000 documents with its "Found"
// branch put into a tree widget, every document of the archive, and a
// page-limit search. Only reads the
// archive. Runs offscreen; each figure is the median of five runs after a
// warm-up run.
//
//   vlm_bench_find <data folder>

#include "bench/BenchTiming.h"
#include "navigation/FindQuery.h"
#include "navigation/ui/LevelList.h"
#include "navigation/ui/NavLoader.h"
#include "navigation/ui/NavTree.h"
#include "platform/DataFolder.h"
#include "platform/DbConnection.h"
#include "store/NodeKeys.h"

#include <QApplication>
#include <QDir>

#include <cstdio>
#include <functional>
#include <memory>

using namespace BenchTiming;

namespace {

constexpr int kRuns = 5;

// The median time of `run`, with the value its last run returned.
double timed(const std::function<int()> &run, int *result)
{
    *result = run();
    std::vector<double> samples;
    for (int i = 0; i < kRuns; ++i) {
        Stopwatch watch;
        *result = run();
        samples.push_back(watch.elapsedMs());
    }
    return median(samples);
}

FindCriteria keywords(const QString &text, bool anyWord)
{
    FindCriteria c;
    c.FindKeywords = text;
    c.FindMatchAnyWord = anyWord ? -1 : 0;
    c.FindMatchAllWords = anyWord ? 0 : -1;
    return c;
}

// The nodes below an item, counted in the tree itself.
int nodesBelow(const QTreeWidgetItem *item)
{
    int total = 0;
    for (int i = 0; item && i < item->childCount(); ++i)
        total += 1 + nodesBelow(item->child(i));
    return total;
}

// What the window does with a search's result: its loader adds the branch
// to the tree; the count of the branch's nodes, read from the tree, is
// given back.
int showInTree(const FindQuery::FindResult &result)
{
    NavTree tree;
    LevelList list;
    NavLoader(&tree, &list).showFound(result);
    return nodesBelow(tree.node(NodeKeys::RootFound));
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: vlm_bench_find <data folder>\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    try {
        DbConnection::open(QDir(QString::fromLocal8Bit(argv[1])).filePath(DataFolder::DatabaseName));
        const qint64 pages = DbConnection::queryValue(QStringLiteral("SELECT count(*) FROM Page")).toLongLong();
        printLine(QStringLiteral("archive: %1 pages").arg(count(double(pages))));

        int found = 0;
        FindCriteria one = keywords(QStringLiteral("Benchmark"), true);
        const double oneMs = timed([&] { return FindQuery::RunFind(one, {}).hitCount; }, &found);
        printLine(QStringLiteral("one-keyword search, all cabinets (%1 hits): %2 (target < 300 ms)%3")
                      .arg(count(found), ms(oneMs), verdict(oneMs < 300)));

        FindCriteria many = keywords(QStringLiteral("Document 7"), false);
        FindQuery::FindResult result;
        const double searchMs = timed([&] {
            result = FindQuery::RunFind(many, {});
            return result.hitCount;
        }, &found);
        int nodes = 0;
        const double treeMs = timed([&] { return showInTree(result); }, &nodes);
        const double totalMs = searchMs + treeMs;
        printLine(QStringLiteral("search finding %1 documents: %2, Found branch of %3 nodes: %4,"
                                 " together %5 (target <= 200 ms)%6")
                      .arg(count(result.documents.size()), ms(searchMs), count(nodes), ms(treeMs), ms(totalMs),
                           verdict(totalMs <= 200)));

        // The largest result there is: no keywords, no limits.
        FindCriteria everything = keywords(QString(), true);
        const double everyMs = timed([&] {
            result = FindQuery::RunFind(everything, {});
            return showInTree(result);
        }, &nodes);
        printLine(QStringLiteral("every document (%1) with its Found branch of %2 nodes: %3")
                      .arg(count(result.documents.size()), count(nodes), ms(everyMs)));

        FindCriteria sized = keywords(QString(), true);
        sized.FindFileSizeFrom = 100000;
        sized.FindFileSizeThru = 100500;
        const double sizedMs = timed([&] { return FindQuery::RunFind(sized, {}).hitCount; }, &found);
        printLine(QStringLiteral("file-size limit over every page (%1 documents): %2")
                      .arg(count(found), ms(sizedMs)));
    } catch (const AppError &e) {
        std::fprintf(stderr, "Error # %d %s\n", e.code, qPrintable(e.text));
        return 1;
    }
    DbConnection::close();
    return 0;
}
