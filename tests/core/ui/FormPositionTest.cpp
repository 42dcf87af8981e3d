#include "platform/Settings.h"
#include "core/ui/FormPosition.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QWidget>
#include <QtTest>

#include <memory>

namespace {

const QRect NormalPlace(110, 120, 330, 240);

std::unique_ptr<QWidget> makeWindow(const QString &name = QStringLiteral("frmTest"))
{
    auto window = std::make_unique<QWidget>();
    window->setObjectName(name);
    return window;
}

// A window shown at the normal placement, as the user left it.
std::unique_ptr<QWidget> shownAt(const QRect &place)
{
    auto window = makeWindow();
    window->move(place.topLeft());
    window->resize(place.size());
    window->show();
    return window;
}

} // namespace

class FormPositionTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { Settings::removeAll(); }

    // A window saved in the normal state reopens at the same place and size;
    // the values are whole pixels.
    void normalRoundTrip_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("window's own name") << QString();
        QTest::newRow("given name") << QStringLiteral("frmOther");
    }
    void normalRoundTrip()
    {
        QFETCH(QString, name);
        auto saved = shownAt(NormalPlace);
        QVERIFY(QTest::qWaitForWindowExposed(saved.get()));
        const QPoint pos = saved->pos();
        const QSize size = saved->size();
        FormPosition::SaveFormPosition(saved.get(), name);

        const QString base = name.isEmpty() ? QStringLiteral("frmTest") : name;
        QCOMPARE(Settings::value(base + QStringLiteral(".Left")), QString::number(pos.x()));
        QCOMPARE(Settings::value(base + QStringLiteral(".Top")), QString::number(pos.y()));
        QCOMPARE(Settings::value(base + QStringLiteral(".Width")), QString::number(size.width()));
        QCOMPARE(Settings::value(base + QStringLiteral(".Height")), QString::number(size.height()));
        QCOMPARE(Settings::value(base + QStringLiteral(".WindowState")), QStringLiteral("0"));

        auto restored = makeWindow();
        FormPosition::RestoreFormPosition(restored.get(), name);
        restored->show();
        QVERIFY(QTest::qWaitForWindowExposed(restored.get()));
        QCOMPARE(restored->pos(), pos);
        QCOMPARE(restored->size(), size);
        QCOMPARE(restored->windowState(), Qt::WindowNoState);
    }

    // A window closed maximised reopens maximised, and returns to its last
    // normal placement when the user restores it.
    void maximisedRoundTrip()
    {
        auto saved = shownAt(NormalPlace);
        QVERIFY(QTest::qWaitForWindowExposed(saved.get()));
        const QRect normal = saved->geometry();
        FormPosition::SaveFormPosition(saved.get());
        saved->showMaximized();
        QTRY_VERIFY(saved->isMaximized());
        FormPosition::SaveFormPosition(saved.get());
        QCOMPARE(Settings::value(QStringLiteral("frmTest.WindowState")), QStringLiteral("2"));
        QCOMPARE(Settings::value(QStringLiteral("frmTest.Width")), QString::number(normal.width()));

        auto restored = makeWindow();
        FormPosition::RestoreFormPosition(restored.get());
        restored->show();
        QVERIFY(QTest::qWaitForWindowExposed(restored.get()));
        QTRY_VERIFY(restored->isMaximized());
        restored->showNormal();
        QTRY_VERIFY(!restored->isMaximized());
        QTRY_COMPARE(restored->geometry(), normal);
    }

    // A window closed minimised reopens in the normal state at its last
    // normal placement.
    void minimisedRestoresNormal()
    {
        auto saved = shownAt(NormalPlace);
        QVERIFY(QTest::qWaitForWindowExposed(saved.get()));
        const QRect normal = saved->geometry();
        FormPosition::SaveFormPosition(saved.get());
        saved->setWindowState(Qt::WindowMinimized);
        QTRY_VERIFY(saved->isMinimized());
        FormPosition::SaveFormPosition(saved.get());
        QCOMPARE(Settings::value(QStringLiteral("frmTest.WindowState")), QStringLiteral("1"));

        auto restored = makeWindow();
        FormPosition::RestoreFormPosition(restored.get());
        restored->show();
        QVERIFY(QTest::qWaitForWindowExposed(restored.get()));
        QCOMPARE(restored->windowState(), Qt::WindowNoState);
        QCOMPARE(restored->geometry(), normal);
    }

    // Unreadable or missing values are skipped one by one; the readable
    // ones still apply.
    void badValuesSkipped_data()
    {
        QTest::addColumn<QString>("top");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("height");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QRect>("expected");
        QTest::addColumn<bool>("maximised");
        // The window starts at 40,50 sized 200x150.
        QTest::newRow("letters for top, width and state")
            << "abc" << "70" << "180" << "x1" << "z" << QRect(70, 50, 200, 180) << false;
        QTest::newRow("empty values") << "" << "" << "" << "" << "" << QRect(40, 50, 200, 150) << false;
        QTest::newRow("fractions") << "12.5" << "8" << "100.0" << "300" << "2.0"
                                   << QRect(8, 50, 300, 150) << false;
        QTest::newRow("sizes of nothing") << "30" << "20" << "0" << "-50" << "0"
                                          << QRect(20, 30, 200, 150) << false;
        QTest::newRow("unknown state number") << "30" << "20" << "120" << "250" << "7"
                                              << QRect(20, 30, 250, 120) << false;
        QTest::newRow("only the state") << "-" << "-" << "-" << "-" << " 2 "
                                        << QRect(40, 50, 200, 150) << true;
    }
    void badValuesSkipped()
    {
        QFETCH(QString, top);
        QFETCH(QString, left);
        QFETCH(QString, height);
        QFETCH(QString, width);
        QFETCH(QString, state);
        QFETCH(QRect, expected);
        QFETCH(bool, maximised);
        Settings::setValue(QStringLiteral("frmTest.Top"), top);
        Settings::setValue(QStringLiteral("frmTest.Left"), left);
        Settings::setValue(QStringLiteral("frmTest.Height"), height);
        Settings::setValue(QStringLiteral("frmTest.Width"), width);
        Settings::setValue(QStringLiteral("frmTest.WindowState"), state);

        auto window = makeWindow();
        window->move(40, 50);
        window->resize(200, 150);
        FormPosition::RestoreFormPosition(window.get());
        QCOMPARE(window->isMaximized(), maximised);
        QCOMPARE(window->normalGeometry(), expected);
    }

    // Nothing stored: the window keeps what it has.
    void nothingStored()
    {
        auto window = makeWindow();
        window->move(40, 50);
        window->resize(200, 150);
        FormPosition::RestoreFormPosition(window.get());
        QCOMPARE(window->geometry(), QRect(40, 50, 200, 150));
        QCOMPARE(window->windowState(), Qt::WindowNoState);
    }

    // A window of fixed size takes its stored place but keeps its size.
    void fixedSizeKeepsSize()
    {
        Settings::setValue(QStringLiteral("frmTest.Top"), QStringLiteral("60"));
        Settings::setValue(QStringLiteral("frmTest.Left"), QStringLiteral("70"));
        Settings::setValue(QStringLiteral("frmTest.Height"), QStringLiteral("500"));
        Settings::setValue(QStringLiteral("frmTest.Width"), QStringLiteral("600"));
        auto window = makeWindow();
        window->setFixedSize(200, 100);
        FormPosition::RestoreFormPosition(window.get());
        QCOMPARE(window->pos(), QPoint(70, 60));
        QCOMPARE(window->size(), QSize(200, 100));
    }

    // Switching top-most on and off keeps a shown window shown.
    void topMostKeepsVisibility()
    {
        auto window = shownAt(NormalPlace);
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        FormPosition::SetTopMost(window.get(), true);
        QVERIFY(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(window->isVisible());
        FormPosition::SetTopMost(window.get(), false);
        QVERIFY(!window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(window->isVisible());

        auto hidden = makeWindow();
        FormPosition::SetTopMost(hidden.get(), true);
        QVERIFY(hidden->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!hidden->isVisible());
    }
};

VLM_TEST_MAIN(FormPositionTest)
#include "FormPositionTest.moc"
