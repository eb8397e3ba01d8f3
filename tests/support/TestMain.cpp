// Entry point of every test executable: a headless Qt application, then GoogleTest.
#include <QGuiApplication>
#ifdef QUORVEL_TEST_WIDGETS
#include <QApplication>
#endif
#include <QDir>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// CI has no display and no session: choose the offscreen platform and a private runtime folder
// before the application object exists, unless the caller chose otherwise.
void prepareEnvironment()
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (std::getenv("XDG_RUNTIME_DIR") == nullptr) {
        std::string templ = QDir::tempPath().toStdString() + "/quorvel-runtime-XXXXXX";
        if (char* dir = mkdtemp(templ.data()))
            setenv("XDG_RUNTIME_DIR", dir, 1);
    }
    // Tests never read or write the user's real settings.
    QStandardPaths::setTestModeEnabled(true);
    // Every stored form a save reuses is checked against a fresh one.
    setenv("QUORVEL_VERIFY_STORED_FORMS", "1", 1);
}

} // namespace

int main(int argc, char** argv)
{
    prepareEnvironment();
    testing::InitGoogleTest(&argc, argv);
#ifdef QUORVEL_TEST_WIDGETS
    QApplication app(argc, argv);
#else
    QGuiApplication app(argc, argv);
#endif
    return RUN_ALL_TESTS();
}
