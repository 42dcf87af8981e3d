#pragma once

#include <QImage>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// The program's view of a scanner: the devices there are, and the pages one
// of them delivers for a request. The running program uses SaneScanner;
// tests put in a scanner of their own.

// A device as the scanner layer reports it. The name is what opens it; it
// can change between runs (a USB port, a network address), the vendor and
// model do not.
struct ScanSource
{
    QString name;
    QString vendor;
    QString model;

    // "vendor model (name)": two devices may share vendor and model.
    QString label() const;
};

// How a page is scanned: black and white, grey or colour.
enum class ScanMode { Lineart, Gray, Color };

struct ScanRequest
{
    ScanSource source;      // the device; vendor and model find it again under a new name
    int dpi = 150;
    ScanMode mode = ScanMode::Color;
    bool feeder = false;    // every sheet of the document feeder, not one page
};

// How a batch ended.
struct ScanEnd
{
    enum class Outcome {
        Done,       // every page came (a feeder: until it ran out of sheets)
        Cancelled,  // cancel() or the page callback stopped it
        NoDevice,   // the device could not be found or opened
        Failed,     // the device or its data failed during the scan
    };
    Outcome outcome = Outcome::Done;
    QString reason;         // the scanner's own words for a failure
    int pages = 0;          // pages delivered before the end
    ScanSource usedSource;  // the device scanned from (a new name when it was found again)
};

class Scanner
{
public:
    virtual ~Scanner() = default;

    // The devices in the order the scanner layer reports them; nothing, with
    // *reason set, when the layer itself cannot be reached. May take seconds
    // (network and USB probing).
    virtual std::optional<QList<ScanSource>> listSources(QString *reason) = 0;

    // Scans request on the calling thread and hands each finished page to
    // onPage, which returns false to stop. Blocks for the whole batch: run
    // it on a worker thread (ScanJob). The images carry the resolution used.
    virtual ScanEnd acquire(const ScanRequest &request, const std::function<bool(const QImage &)> &onPage) = 0;

    // Asks a running acquire() to stop soon; safe from any thread.
    virtual void cancel() = 0;

    // The scanner the program uses: SaneScanner unless one was installed
    // (tests install their own; nullptr goes back to SANE). Not owned.
    static Scanner &instance();
    static void setInstance(Scanner *scanner);
};

namespace ScannerMatch {

// The source to scan from for a stored name, vendor and model: the one of
// that exact name (case counts), else the first of the same vendor and
// model (the name has changed), else -1.
int findSource(const QList<ScanSource> &sources, const ScanSource &stored);

} // namespace ScannerMatch
