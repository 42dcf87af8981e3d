#pragma once

#include "core/Desktop.h"

#include <QList>

// Records what the program asks the desktop to open, and answers with
// `opens` (true: something was started). Installs itself for its lifetime.
class FakeDesktop : public Desktop
{
public:
    FakeDesktop() { Desktop::setInstance(this); }
    ~FakeDesktop() override { Desktop::setInstance(nullptr); }

    bool openUrl(const QUrl &url) override
    {
        urls.append(url);
        return opens;
    }

    QList<QUrl> urls;
    bool opens = true;
};
