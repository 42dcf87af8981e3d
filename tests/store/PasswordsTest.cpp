#include "store/Passwords.h"

#include <QCoreApplication>
#include <QtTest>

#include "core/Changes.h"
#include "core/RecordId.h"
#include "platform/DbConnection.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/TestEnvironment.h"

using namespace Passwords;

class PasswordsTest : public QObject
{
    Q_OBJECT

private:
    struct Unlock
    {
        RecordId cabinetId;
        QString name;
    };
    QList<Unlock> m_unlocks;

    static RecordId addCabinet(const QString &name, const QVariant &password)
    {
        DbConnection::execute(QStringLiteral("INSERT INTO Cabinet (Name, [Password]) VALUES (?, ?)"),
                              {name, password});
        return DbConnection::lastInsertId();
    }
    static int addLockedCabinet(const QString &name, const QString &plain)
    {
        return addCabinet(name, ScramblePassword(plain, PasswordKey));
    }

private Q_SLOTS:
    void initTestCase()
    {
        connect(&Changes::instance(), &Changes::cabinetUnlocked, this,
                [this](RecordId id, const QString &name) { m_unlocks.append({id, name}); });
    }
    void init()
    {
        TestEnvironment::openFreshDatabase();
        m_unlocks.clear();
    }
    void cleanup() { DbConnection::close(); }

    // Every Latin-1 code survives the round trip at every key position, for
    // texts from empty to longer than the key, and the length is kept.
    void scrambleRoundTripsEveryCode()
    {
        for (int length = 0; length <= 12; ++length) {
            for (int pos = 0; pos < length; ++pos) {
                for (int code = 0; code <= 255; ++code) {
                    QString plain(length, QLatin1Char('m'));
                    plain[pos] = QChar(code);
                    const QString scrambled = ScramblePassword(plain, PasswordKey);
                    QCOMPARE(scrambled.size(), length);
                    for (const QChar c : scrambled)
                        QVERIFY(c.unicode() <= 0xFF);
                    QCOMPARE(UnscramblePassword(scrambled, PasswordKey), plain);
                }
            }
        }
        QCOMPARE(ScramblePassword(QString(), PasswordKey), QString());
    }

    void scrambleValues_data()
    {
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("scrambled");
        // "T" is 20 above "@", "3" is 13 below it.
        QTest::newRow("capital key letter adds") << "A" << PasswordKey << "U";
        QTest::newRow("digit key character subtracts") << "AA" << PasswordKey << "U4";
        QTest::newRow("eleventh character uses the first key character again")
            << "AAAAAAAAAAA" << PasswordKey << "U4R[L9XNSBU";
        QTest::newRow("above 255 folds to 0") << QStringLiteral("\u00EC") << PasswordKey
                                              << QString(QChar(0));
        QTest::newRow("below 0 folds to 255") << QStringLiteral("a\u0005") << PasswordKey
                                              << QStringLiteral("u\u00F8");
        QTest::newRow("scrambles to a quote") << "x4" << PasswordKey << QStringLiteral("\u008C'");
        QTest::newRow("empty key uses the default key") << "AA" << QString() << "RN";
    }
    void scrambleValues()
    {
        QFETCH(QString, plain);
        QFETCH(QString, key);
        QFETCH(QString, scrambled);
        QCOMPARE(ScramblePassword(plain, key), scrambled);
        QCOMPARE(UnscramblePassword(scrambled, key), plain);
    }

    void validPasswordText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("empty") << QString() << true;
        QTest::newRow("ascii") << "Secret9" << true;
        QTest::newRow("latin-1 top") << QStringLiteral("caf\u00E9\u00FF") << true;
        QTest::newRow("euro sign") << QStringLiteral("5\u20AC") << false;
        QTest::newRow("cjk") << QStringLiteral("\u6771") << false;
    }
    void validPasswordText()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QCOMPARE(isValidPasswordText(text), valid);
    }

    // A scrambled password holding NUL and a quote is stored and read back
    // whole, and unlocks with the typed text.
    void awkwardScrambledPasswordIsStoredWhole()
    {
        const QString plain = QStringLiteral("\u00EC4x");
        const QString scrambled = ScramblePassword(plain, PasswordKey);
        QVERIFY(scrambled.contains(QChar(0)));
        QVERIFY(scrambled.contains(QLatin1Char('\'')));
        const RecordId id = addCabinet(QStringLiteral("Taxes"), scrambled);
        QCOMPARE(DbConnection::queryValue(
                     QStringLiteral("SELECT [Password] FROM Cabinet WHERE CabinetId = ?"), {id})
                     .toString(),
                 scrambled);
        QVERIFY(!IsCabinetOpen(id));

        FakePrompt prompt;
        prompt.passwords = {plain};
        QVERIFY(UnlockCabinet(id));
        QVERIFY(prompt.messages.isEmpty());
    }

    void isCabinetOpen_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<bool>("open");
        QTest::newRow("empty password") << QVariant(QStringLiteral("")) << true;
        QTest::newRow("null password") << QVariant(QMetaType(QMetaType::QString)) << true;
        QTest::newRow("password set") << QVariant(ScramblePassword(QStringLiteral("pw"), PasswordKey))
                                      << false;
    }
    // Decides from the stored password alone and never asks.
    void isCabinetOpen()
    {
        QFETCH(QVariant, stored);
        QFETCH(bool, open);
        FakePrompt prompt;
        const RecordId id = addCabinet(QStringLiteral("Home"), stored);
        QCOMPARE(DbConnection::queryValue(
                     QStringLiteral("SELECT [Password] IS NULL FROM Cabinet WHERE CabinetId = ?"), {id})
                     .toBool(),
                 stored.isNull());
        QCOMPARE(IsCabinetOpen(id), open);
        QCOMPARE(prompt.passwordPrompts, 0);
    }

    void cabinetWithoutRowIsOpen()
    {
        QVERIFY(IsCabinetOpen(4711));
    }

    // Once unlocked, a cabinet stays open for the run whatever its row says.
    void unlockedCabinetStaysOpen()
    {
        FakePrompt prompt;
        prompt.passwords = {QStringLiteral("pw")};
        const RecordId id = addLockedCabinet(QStringLiteral("Bank"), QStringLiteral("pw"));
        QVERIFY(UnlockCabinet(id));
        DbConnection::execute(QStringLiteral("UPDATE Cabinet SET [Password] = ? WHERE CabinetId = ?"),
                              {ScramblePassword(QStringLiteral("other"), PasswordKey), id});
        QVERIFY(IsCabinetOpen(id));
        DbConnection::execute(QStringLiteral("DELETE FROM Cabinet WHERE CabinetId = ?"), {id});
        QVERIFY(IsCabinetOpen(id));
        QVERIFY(UnlockCabinet(id));
        QCOMPARE(prompt.passwordPrompts, 1);
        QCOMPARE(m_unlocks.size(), 1);
    }

    void unlockCabinet_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("granted");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("prompts");

        QTest::newRow("right password") << "Secret" << false << "Secret" << true << QStringList() << 1;
        QTest::newRow("wrong letter case") << "Secret" << false << "secret" << false
                                           << QStringList{QStringLiteral("Access Denied")} << 1;
        QTest::newRow("wrong password") << "Secret" << false << "Secret " << false
                                        << QStringList{QStringLiteral("Access Denied")} << 1;
        QTest::newRow("empty reply") << "Secret" << false << "" << false
                                     << QStringList{QStringLiteral("Access Denied")} << 1;
        QTest::newRow("cancel") << "Secret" << true << "" << false << QStringList() << 1;
        QTest::newRow("no password asks nothing") << "" << true << "" << true << QStringList() << 0;
    }
    // Access, the message and the unlock notice for each answer.
    void unlockCabinet()
    {
        QFETCH(QString, password);
        QFETCH(bool, cancel);
        QFETCH(QString, reply);
        QFETCH(bool, granted);
        QFETCH(QStringList, messages);
        QFETCH(int, prompts);

        FakePrompt prompt;
        prompt.passwords = {cancel ? std::nullopt : std::optional<QString>(reply)};
        addLockedCabinet(QStringLiteral("Other"), QStringLiteral("x"));
        const RecordId id = addLockedCabinet(QStringLiteral("Medical"), password);

        QCOMPARE(UnlockCabinet(id), granted);
        QCOMPARE(prompt.messages, messages);
        QCOMPARE(prompt.passwordPrompts, prompts);
        QCOMPARE(UnlockedCabinets().contains(id), granted);
        QCOMPARE(IsCabinetOpen(id), granted);
        if (granted) {
            QCOMPARE(m_unlocks.size(), 1);
            QCOMPARE(m_unlocks.first().cabinetId, id);
            QCOMPARE(m_unlocks.first().name, QStringLiteral("Medical"));
        } else {
            QVERIFY(m_unlocks.isEmpty());
        }
    }

    // A refused attempt can be retried; the second, right answer unlocks.
    void retryAfterWrongPassword()
    {
        FakePrompt prompt;
        prompt.passwords = {QStringLiteral("nope"), QStringLiteral("pw")};
        const RecordId id = addLockedCabinet(QStringLiteral("Work"), QStringLiteral("pw"));
        QVERIFY(!UnlockCabinet(id));
        QVERIFY(UnlockCabinet(id));
        QCOMPARE(prompt.passwordPrompts, 2);
        QCOMPARE(prompt.messages, QStringList{QStringLiteral("Access Denied")});
        QCOMPARE(m_unlocks.size(), 1);
    }

    // Any number of cabinets stays unlocked: the hundred-and-first is not
    // asked for again.
    void manyCabinetsStayUnlocked()
    {
        FakePrompt prompt;
        QList<RecordId> ids;
        for (int i = 0; i < 120; ++i) {
            ids.append(addLockedCabinet(QStringLiteral("C%1").arg(i), QStringLiteral("pw")));
            prompt.passwords.append(QStringLiteral("pw"));
        }
        for (RecordId id : ids)
            QVERIFY(UnlockCabinet(id));
        QCOMPARE(prompt.passwordPrompts, 120);
        for (RecordId id : ids) {
            QVERIFY(IsCabinetOpen(id));
            QVERIFY(UnlockCabinet(id));
        }
        QCOMPARE(prompt.passwordPrompts, 120);
        QCOMPARE(m_unlocks.size(), 120);
    }
};

VLM_TEST_GUILESS_MAIN(PasswordsTest)
#include "PasswordsTest.moc"
