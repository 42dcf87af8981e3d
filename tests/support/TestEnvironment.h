#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

// Gives a test process its own settings file and data folder, set before the
// application object exists, so no test sees the user's real files; also its
// own home, no scanner or printer of the machine, the C locale in UTC and no
// way to the user's desktop session.
//
//   int main(int argc, char **argv) { TestEnvironment env; QGuiApplication app(...); ... }
//
// Use the VLM_TEST_MAIN / VLM_TEST_GUILESS_MAIN macros below.
class TestEnvironment
{
public:
    TestEnvironment();
    ~TestEnvironment();

    // A new empty data folder for the next case: closes the database, points
    // VLM_DATA_DIR at a fresh folder, clears the settings and forgets all
    // run state (RunState::forgetAll).
    static QString freshDataFolder();
    // Creates and opens a current database in the data folder.
    static void openFreshDatabase();
    // The root temporary folder of this process.
    static QString root();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

#define VLM_TEST_MAIN_IMPL(TestObject, AppClass)                \
    int main(int argc, char **argv)                             \
    {                                                           \
        TestEnvironment env;                                    \
        AppClass app(argc, argv);                               \
        app.setAttribute(Qt::AA_Use96Dpi, true);                \
        TestObject tc;                                          \
        QTEST_SET_MAIN_SOURCE_PATH                              \
        return QTest::qExec(&tc, argc, argv);                   \
    }

#define VLM_TEST_GUILESS_MAIN(TestObject) VLM_TEST_MAIN_IMPL(TestObject, QCoreApplication)
#define VLM_TEST_GUI_MAIN(TestObject) VLM_TEST_MAIN_IMPL(TestObject, QGuiApplication)
#define VLM_TEST_MAIN(TestObject) VLM_TEST_MAIN_IMPL(TestObject, QApplication)
