#include "platform/Scanner.h"

#include "platform/SaneScanner.h"

namespace {

Scanner *&installed()
{
    static Scanner *scanner = nullptr;
    return scanner;
}

} // namespace

Scanner &Scanner::instance()
{
    return installed() ? *installed() : SaneScanner::instance();
}

void Scanner::setInstance(Scanner *scanner)
{
    installed() = scanner;
}

QString ScanSource::label() const
{
    const QString device = QStringList({vendor, model}).join(QLatin1Char(' ')).trimmed();
    return device.isEmpty() ? name : QStringLiteral("%1 (%2)").arg(device, name);
}

namespace ScannerMatch {

int findSource(const QList<ScanSource> &sources, const ScanSource &stored)
{
    for (int i = 0; i < sources.size(); ++i)
        if (sources.at(i).name == stored.name)
            return i;
    // Settings written before the vendor and model were kept match by name only.
    if (stored.vendor.isEmpty() && stored.model.isEmpty())
        return -1;
    for (int i = 0; i < sources.size(); ++i)
        if (sources.at(i).vendor == stored.vendor && sources.at(i).model == stored.model)
            return i;
    return -1;
}

} // namespace ScannerMatch
