#include "NavigationSink.h"

namespace {

class NullSink : public NavigationSink
{
public:
    void AddCabinetToNavTree(int, const QString &) override {}
    void AddDrawerToNavTree(int, int, const QString &) override {}
    void AddFolderToNavTree(int, int, const QString &) override {}
    void AddDocumentToNavTree(int, int, const QString &, const QDate &) override {}
    void UpdateCabinetName(int, const QString &) override {}
    void UpdateDrawerName(int, const QString &) override {}
    void UpdateFolderName(int, const QString &) override {}
    void UpdateDocumentName(int, const QString &, const QDate &) override {}
    void ShowDrawersInListView(int) override {}
    void ShowPagesInListView(int) override {}
};

NavigationSink *g_sink = nullptr;

} // namespace

NavigationSink &NavigationSink::instance()
{
    static NullSink none;
    return g_sink ? *g_sink : none;
}

void NavigationSink::setInstance(NavigationSink *sink)
{
    g_sink = sink;
}
