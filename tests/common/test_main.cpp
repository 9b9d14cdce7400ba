// Shared entry point of every test program: a QApplication on the offscreen platform (unless
// the test program asks for a real X server), 96 DPI, a pinned font, and a private home so no
// test touches the user's files.
#include "TestSupport.h"

#include <QApplication>
#include <QFont>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Sanitizer settings live here rather than in the environment, so a test program run by hand
// behaves exactly as under CTest.
extern "C" const char *__asan_default_options() { return "detect_leaks=1"; }
extern "C" const char *__ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1"; }
// Leaks inside system libraries that live as long as the process are listed in tests/lsan.supp.
extern "C" const char *__lsan_default_options()
{
    return "suppressions=" ORV_TEST_SOURCE_DIR "/lsan.supp:print_suppressions=0";
}

namespace {

ScriptedDialogs dialogs;
RecordingShell shell;
// A test must never power the machine off, whatever it forgets to install.
RecordingPower power;

class ResetResponders : public ::testing::EmptyTestEventListener
{
    void OnTestStart(const ::testing::TestInfo &) override
    {
        dialogs.Reset(), shell.opened.clear(), power.actions.clear();
        shell.result = true;
        SetDialogs(&dialogs), SetShell(&shell), SetClock(nullptr), SetSystemPower(&power);
    }
};

} // namespace

ScriptedDialogs &TestDialogs() { return dialogs; }
RecordingShell &TestShell() { return shell; }
RecordingPower &TestPower() { return power; }

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_FONT_DPI", "96");
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");

    QTemporaryDir home;
    if (!home.isValid())
        return 2;
    qputenv("ORVANTA_HOME", (home.path() + "/app").toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());

    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("Noto Sans CJK SC"), 9));

    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new ResetResponders);
    SetDialogs(&dialogs), SetShell(&shell), SetSystemPower(&power);
    return RUN_ALL_TESTS();
}
