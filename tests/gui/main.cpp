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
    ::testing::InitGoogleTest(&argc, argv);
    // Death tests re-run the binary, which then needs its QApplication again.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    QApplication application(argc, argv);
    application.setStyle(QStringLiteral("Windows"));
    return RUN_ALL_TESTS();
}
