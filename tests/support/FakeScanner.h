#pragma once

#include "platform/Scanner.h"

#include <QColor>
#include <QImage>

#include <atomic>
#include <chrono>
#include <thread>

// A scanner for the conditions SANE's test device cannot make: pages of
// the test's choosing, a batch that fails after some of them, a device
// list that cannot be read, a device that waits for Cancel. Installs
// itself as the program's scanner for its lifetime. acquire() runs on the
// scan's worker thread; read what it recorded once the scan is over.
class FakeScanner : public Scanner
{
public:
    FakeScanner() { Scanner::setInstance(this); }
    ~FakeScanner() override { Scanner::setInstance(nullptr); }

    std::optional<QList<ScanSource>> listSources(QString *reason) override
    {
        if (listingFails) {
            *reason = QStringLiteral("Error during device I/O");
            return std::nullopt;
        }
        return sources;
    }

    ScanEnd acquire(const ScanRequest &request, const std::function<bool(const QImage &)> &onPage) override
    {
        requests.append(request);
        ScanEnd end;
        end.usedSource = request.source;
        for (const QImage &page : pages) {
            if (m_cancelled || !onPage(page)) {
                end.outcome = ScanEnd::Outcome::Cancelled;
                return end;
            }
            ++end.pages;
            if (!request.feeder)
                return end;
        }
        while (waitForCancel && !m_cancelled)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        end.outcome = m_cancelled ? ScanEnd::Outcome::Cancelled : endWith;
        end.reason = reason;
        return end;
    }

    void cancel() override { m_cancelled = true; }

    // Pages of one colour each, 200 x 300 at 150 dpi, so their order shows.
    static QList<QImage> colouredPages(const QList<QColor> &colours)
    {
        QList<QImage> list;
        for (const QColor &c : colours) {
            QImage page(200, 300, QImage::Format_RGB888);
            page.fill(c);
            page.setDotsPerMeterX(5906);
            page.setDotsPerMeterY(5906);
            list.append(page);
        }
        return list;
    }

    QList<ScanSource> sources;
    bool listingFails = false;
    QList<QImage> pages;
    // How the batch ends once the pages are delivered.
    ScanEnd::Outcome endWith = ScanEnd::Outcome::Done;
    QString reason;
    // After the pages, wait until cancel() (the window's Cancel).
    bool waitForCancel = false;
    QList<ScanRequest> requests;

private:
    std::atomic<bool> m_cancelled{false};
};
