#include "app/VlmApplication.h"

#include "platform/AppError.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/TestEnvironment.h"

#include <QtTest>

#include <stdexcept>

namespace {

// An object whose event handler throws what it is told to.
class Thrower : public QObject
{
public:
    int kind = 0;
    bool event(QEvent *e) override
    {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        if (kind == 0)
            throw AppError(13, QStringLiteral("database or disk is full"));
        if (kind == 1)
            throw std::runtime_error("bad_alloc in a handler");
        throw 42;
    }
};

} // namespace

class VlmApplicationTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // An exception that escapes a handler is shown and the program goes on;
    // it never reaches the event loop.
    void escapedExceptionShown_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("our error") << 0 << "Error # 13 database or disk is full";
        QTest::newRow("standard exception") << 1 << "Error # 10000 bad_alloc in a handler";
        QTest::newRow("anything else") << 2 << "Error # 10000 An unexpected failure ended the command.";
    }
    void escapedExceptionShown()
    {
        QFETCH(int, kind);
        QFETCH(QString, message);
        FakePrompt prompt;
        Thrower thrower;
        thrower.kind = kind;
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        QCoreApplication::processEvents();
        QCOMPARE(prompt.messages, QStringList{message});
        QCOMPARE(prompt.kinds, QList<FakePrompt::Kind>{FakePrompt::Kind::Error});
    }
};

VLM_TEST_MAIN_IMPL(VlmApplicationTest, VlmApplication)
#include "VlmApplicationTest.moc"
