#include "PageListModel.h"

#include <stdexcept>

#include <QAbstractItemModelTester>
#include <QGuiApplication>
#include <QtTest>

#include "RecordFixture.h"
#include "TestEnvironment.h"

namespace {

QImage filled(Qt::GlobalColor color)
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

} // namespace

class PageListModelTest : public QObject
{
    Q_OBJECT

private:
    int m_documentId = 0;
    QList<int> m_pages;

    int addPage(int number, bool shortcut = false)
    {
        const int id = RecordFixture::insert(
            QStringLiteral("INSERT INTO Page (DocumentId, PageNumber, Filename, ShortcutYN)"
                           " VALUES (?, ?, ?, ?)"),
            {m_documentId, number,
             shortcut ? QVariant(QStringLiteral("/home/u/notes.pdf")) : QVariant(QMetaType(QMetaType::QString)),
             shortcut ? QVariant(QStringLiteral("Y")) : QVariant(QMetaType(QMetaType::QString))});
        m_pages.append(id);
        return id;
    }

private Q_SLOTS:
    void init()
    {
        TestEnvironment::openFreshDatabase();
        const int cabinet = RecordFixture::cabinet(QStringLiteral("Cab"));
        const int folder = RecordFixture::folder(RecordFixture::drawer(cabinet, QStringLiteral("Drw")),
                                                 QStringLiteral("Fld"));
        m_documentId = RecordFixture::document(folder, QStringLiteral("Doc"));
        m_pages.clear();
    }

    void itemText_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<bool>("shortcut");
        QTest::addColumn<QString>("thumbnailText");
        QTest::addColumn<QString>("listText");
        QTest::newRow("numbered page") << 7 << false << "Page 7" << "7";
        QTest::newRow("page 0 shows its file") << 0 << false << "" << "0";
        QTest::newRow("shortcut page") << 0 << true << "notes.pdf" << "";
    }
    void itemText()
    {
        QFETCH(int, number);
        QFETCH(bool, shortcut);
        QFETCH(QString, thumbnailText);
        PageRecord record;
        record.PageId = 1234;
        record.PageNumber = number;
        record.Filename = shortcut ? QStringLiteral("/home/u/notes.pdf") : QStringLiteral("/data/Pages/0000001/1234.jpg");
        record.ShortcutYN = shortcut ? QStringLiteral("Y") : QString();
        if (thumbnailText.isEmpty())
            thumbnailText = QStringLiteral("1234.jpg");
        QCOMPARE(PageListModel::itemText(record, PageListModel::ViewMode::Thumbnail), thumbnailText);
        QTEST(PageListModel::itemText(record, PageListModel::ViewMode::List), "listText");
    }

    // The thumbnail view holds one screen and loads only its pictures; a
    // loader that throws or gives nothing yields the default image and
    // the rest of the screen still gets its own.
    void thumbnailScreenSurvivesBadThumbnails()
    {
        for (int n = 1; n <= 5; ++n)
            addPage(n);
        PageRecords records;
        records.paging().setDisplayCount(3);
        records.load(m_documentId);
        records.paging().nextScreen();

        PageListModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QList<int> loaded;
        model.setDefaultImage(filled(Qt::gray));
        model.setThumbnailLoader([&](const PageRecord &record) {
            loaded.append(record.PageId);
            if (record.PageId == m_pages[3])
                throw std::runtime_error("corrupt JPEG");
            return filled(Qt::red);
        });
        model.fill(records, PageListModel::ViewMode::Thumbnail);
        QCOMPARE(loaded, (QList<int>{m_pages[3], m_pages[4]}));
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.data(model.index(0), Qt::DecorationRole).value<QImage>(), filled(Qt::gray));
        QCOMPARE(model.data(model.index(1), Qt::DecorationRole).value<QImage>(), filled(Qt::red));
        QCOMPARE(model.data(model.index(1), Qt::DisplayRole).toString(), QStringLiteral("Page 5"));
        QCOMPARE(model.data(model.index(1), PageListModel::KeyRole).toString(),
                 QStringLiteral("PAG%1").arg(m_pages[4]));
    }

    // The list view holds every page, loads no thumbnail, and a selection
    // maps back to page ids in item order.
    void listViewHoldsEveryPage()
    {
        const int shortcut = addPage(0, true);
        for (int n = 1; n <= 4; ++n)
            addPage(n);
        PageRecords records;
        records.paging().setDisplayCount(2);
        records.load(m_documentId);

        PageListModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        int loads = 0;
        model.setThumbnailLoader([&](const PageRecord &) { ++loads; return QImage(); });
        model.setListImage(filled(Qt::blue));
        model.fill(records, PageListModel::ViewMode::List);
        QCOMPARE(loads, 0);
        QCOMPARE(model.rowCount(), 5);
        QCOMPARE(model.data(model.index(0), Qt::DisplayRole).toString(), QString());
        QVERIFY(model.data(model.index(0), PageListModel::ShortcutRole).toBool());
        QCOMPARE(model.data(model.index(4), Qt::DecorationRole).value<QImage>(), filled(Qt::blue));
        QVERIFY(model.flags(model.index(2)) & Qt::ItemIsSelectable);
        QCOMPARE(model.pageIds({model.index(3), model.index(0), model.index(3)}),
                 (QList<int>{shortcut, m_pages[3]}));
        QCOMPARE(model.rowOfPage(m_pages[2]), 2);

        model.clear();
        QCOMPARE(model.rowCount(), 0);
    }
};

VLM_TEST_GUI_MAIN(PageListModelTest)
#include "PageListModelTest.moc"
