// A program that imports a cabinet tree and is ended by the system at a
// write: run with a file size limit, its first write past the limit (a
// page's copy, or the journal of the commit of its rows) raises SIGXFSZ,
// whose default action ends the process on the spot, as a kill -9 would.
//
//   InterruptedTreeImport <data folder> <cabinet id> <tree> <limit in bytes>
//
// Exits 0 when the import ended after all (the limit was too high), 1 when
// it could not start.

#include <QCoreApplication>
#include <QStringList>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>

#include "exchange/CabinetImport.h"
#include "core/RecordId.h"
#include "store/Database.h"
#include "tests/support/FakePrompt.h"

int main(int argc, char **argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: InterruptedTreeImport <data folder> <cabinet id> <tree> <limit>\n");
        return 1;
    }
    qputenv("VLM_DATA_DIR", argv[1]);
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    FakePrompt prompt;
    Database::OpenDatabase();
    std::signal(SIGXFSZ, SIG_DFL);
    const rlimit limit{rlim_t(args.at(4).toULongLong()), RLIM_INFINITY};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
        std::perror("setrlimit");
        return 1;
    }
    CabinetImport::ImportCabinetTree(RecordId(args.at(2).toLongLong()), args.at(3), 1);
    return 0;
}
