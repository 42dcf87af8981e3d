// A program that commits one transaction to an SQLite file and is ended by
// the system in the middle of writing it: run with a file size limit, its
// first write past the limit raises SIGXFSZ, whose default action ends the
// process on the spot, as a kill -9 or a power cut would. SQLite syncs the
// journal before it writes a page of the database, so what is left is a
// database half written and a hot journal beside it.
//
//   InterruptedCommit <database> <limit in bytes> <statement>...
//
// Exits 0 when the commit ended after all (the limit was too high), 1 when
// a statement failed.

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: InterruptedCommit <database> <limit> <statement>...\n");
        return 1;
    }
    std::signal(SIGXFSZ, SIG_DFL);
    const rlimit limit{rlim_t(args.at(2).toULongLong()), RLIM_INFINITY};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
        std::perror("setrlimit");
        return 1;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    db.setDatabaseName(args.at(1));
    if (!db.open() || !db.transaction()) {
        std::fprintf(stderr, "%s\n", qPrintable(db.lastError().text()));
        return 1;
    }
    QSqlQuery q(db);
    for (int i = 3; i < args.size(); ++i) {
        if (!q.exec(args.at(i))) {
            std::fprintf(stderr, "%s\n", qPrintable(q.lastError().text()));
            return 1;
        }
    }
    q.finish();
    if (!db.commit()) {
        std::fprintf(stderr, "%s\n", qPrintable(db.lastError().text()));
        return 1;
    }
    return 0;
}
