#include "navigation/PageListModel.h"

#include <stdexcept>

#include <QAbstractItemModelTester>
#include <QGuiApplication>
#include <QtTest>

#include "core/RecordId.h"
#include "platform/DbConnection.h"
#include "tests/support/RecordFixture.h"
#include "tests/support/TestEnvironment.h"

using Mode = PageListModel::ViewMode;

namespace {

QImage filled(Qt::GlobalColor color)
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

QImage pictureAt(const PageListModel &model, int row)
{
    return model.data(model.index(row), Qt::DecorationRole).value<QImage>();
}

} // namespace

class PageListModelTest : public QObject
{
    Q_OBJECT

private:
    int m_doc = 0;
    QList<RecordId> m_pages;
    PageRecords m_records;

    void load(int pages, int perScreen)
    {
        for (int n = 1; n <= pages; ++n)
            m_pages.append(RecordFixture::page(m_doc, n));
        m_records.paging().setDisplayCount(perScreen);
        m_records.load(m_doc);
    }

private Q_SLOTS:
    void init()
    {
        TestEnvironment::openFreshDatabase();
        m_doc = RecordFixture::documentInNewFolder();
        m_pages.clear();
    }

    void itemText_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<bool>("shortcut");
        QTest::addColumn<QString>("filename");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("thumbnailText");
        QTest::addColumn<QString>("listText");
        const QString stored = QStringLiteral("/d/Pages/0000001/1234.jpg");
        QTest::newRow("numbered page") << 7 << false << stored << "Scan.jpg" << "Page 7" << "7";
        QTest::newRow("page 0 shows its file") << 0 << false << stored << "" << "1234.jpg" << "0";
        QTest::newRow("shortcut page") << 3 << true << "/home/u/notes.pdf" << "" << "notes.pdf" << "";
        // A tree import's copy lies under its page id; the page keeps the name.
        QTest::newRow("shortcut to a copy in the store")
            << 0 << true << "/d/Pages/0000001/1234.pdf" << "offer.pdf" << "offer.pdf" << "";
    }
    void itemText()
    {
        QFETCH(int, number);
        QFETCH(bool, shortcut);
        QFETCH(QString, filename);
        QFETCH(QString, name);
        PageRecord record;
        record.PageId = 1234;
        record.PageNumber = number;
        record.Filename = filename;
        record.Name = name;
        record.ShortcutYN = shortcut ? QStringLiteral("Y") : QString();
        QTEST(PageListModel::itemText(record, Mode::Thumbnail), "thumbnailText");
        QTEST(PageListModel::itemText(record, Mode::List), "listText");
    }

    // The thumbnail view holds one screen and loads only its pictures; a
    // picture that throws or is missing becomes the default image and the
    // rest of the screen still gets its own.
    void thumbnailScreenSurvivesBadThumbnails()
    {
        load(6, 3);
        m_records.paging().nextScreen();
        PageListModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QList<RecordId> loaded;
        model.setDefaultImage(filled(Qt::gray));
        model.setThumbnailLoader([&](const PageRecord &record) {
            loaded.append(record.PageId);
            if (record.PageId == m_pages[3])
                throw std::runtime_error("corrupt JPEG");
            return record.PageId == m_pages[4] ? QImage() : filled(Qt::red);
        });
        model.fill(m_records, Mode::Thumbnail);
        QCOMPARE(loaded, (QList<RecordId>{m_pages[3], m_pages[4], m_pages[5]}));
        QCOMPARE(pictureAt(model, 0), filled(Qt::gray));
        QCOMPARE(pictureAt(model, 1), filled(Qt::gray));
        QCOMPARE(pictureAt(model, 2), filled(Qt::red));
        QCOMPARE(model.data(model.index(2), PageListModel::KeyRole).toString(),
                 QStringLiteral("PAG%1").arg(m_pages[5]));
    }

    // The list view holds every page and loads no thumbnail; a selection
    // maps back to page ids in item order.
    void listViewHoldsEveryPage()
    {
        load(5, 2);
        PageListModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        int loads = 0;
        model.setThumbnailLoader([&](const PageRecord &) { ++loads; return QImage(); });
        model.setListImage(filled(Qt::blue));
        model.fill(m_records, Mode::List);
        QCOMPARE(loads, 0);
        QCOMPARE(model.rowCount(), 5);
        QCOMPARE(pictureAt(model, 4), filled(Qt::blue));
        QCOMPARE(model.pageIds({model.index(3), model.index(0), model.index(3)}),
                 (QList<RecordId>{m_pages[0], m_pages[3]}));
        QCOMPARE(model.rowOfPage(m_pages[2]), 2);
    }
};

VLM_TEST_GUI_MAIN(PageListModelTest)
#include "PageListModelTest.moc"
