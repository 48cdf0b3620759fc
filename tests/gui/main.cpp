// The GUI tests share one QApplication on the offscreen platform. The dialog fonts are the ones the
// dependency script installs, so geometry does not follow whatever else the machine has.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // No session bus: a test must never leave a dbus-daemon behind.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
#ifdef _WIN32
    // On Windows the offscreen platform draws with FreeType from QT_QPA_FONTDIR, by default a folder
    // beside Qt's libraries that a static build does not have: take the system's font folder.
    // (Wine does not hand QT_ variables on to a program, so this is also how it gets there under Wine.)
    if (!qEnvironmentVariableIsSet("QT_QPA_FONTDIR")) {
        qputenv("QT_QPA_FONTDIR",
            (qEnvironmentVariable("WINDIR", QStringLiteral("C:\\Windows")) + "\\Fonts").toLocal8Bit());
    }
    // Qt sends its messages to the debugger unless stderr is a console; the death tests read them
    // from stderr.
    qputenv("QT_FORCE_STDERR_LOGGING", "1");
#endif
    ::testing::InitGoogleTest(&argc, argv);
    // Death tests re-run the binary, which then needs its QApplication again.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    QApplication application(argc, argv);
    application.setStyle(QStringLiteral("Windows"));
    return RUN_ALL_TESTS();
}
