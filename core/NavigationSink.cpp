#include "core/NavigationSink.h"

#include "core/RecordId.h"

namespace {

class NullSink : public NavigationSink
{
public:
    void AddCabinetToNavTree(RecordId, const QString &) override {}
    void AddDrawerToNavTree(RecordId, RecordId, const QString &) override {}
    void AddFolderToNavTree(RecordId, RecordId, const QString &) override {}
    void AddDocumentToNavTree(RecordId, RecordId, const QString &, const QDate &) override {}
    void UpdateCabinetName(RecordId, const QString &) override {}
    void UpdateDrawerName(RecordId, const QString &) override {}
    void UpdateFolderName(RecordId, const QString &) override {}
    void UpdateDocumentName(RecordId, const QString &, const QDate &) override {}
    void ShowDrawersInListView(RecordId) override {}
    void ShowPagesInListView(RecordId) override {}
    void selectPageInListView(RecordId) override {}
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
