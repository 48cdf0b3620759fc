// The GUI tests share one QApplication on the offscreen platform, with a pinned dialog font so
// geometry does not follow whatever fonts the machine has.
#include "ui/DialogLayout.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    // No session bus: a test must never leave a dbus-daemon behind.
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    // Death tests re-run the binary, which then needs its QApplication again.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ui::DialogLayout::setSansFamily(QStringLiteral("DejaVu Sans"));
    QApplication application(argc, argv);
    application.setStyle(QStringLiteral("Windows"));
    return RUN_ALL_TESTS();
}
