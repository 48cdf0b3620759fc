#include "dialogs/INFO.h"

#include "GuiTestSupport.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <gtest/gtest.h>

using gui_test::control;

TEST(INFO, ShowsLogoNameAndVersion)
{
    QWidget owner;
    const INFO info(&owner);
    EXPECT_EQ(info.objectName(), "INFO");
    EXPECT_EQ(info.windowTitle(), "Info Transvo");
    EXPECT_EQ(info.parentWidget(), &owner);
    EXPECT_EQ(control<QLabel>(info, "FIXEDTEXT2")->text(), "Transvo");
    EXPECT_EQ(control<QLabel>(info, "FIXEDTEXT3")->text(), "Versie 4.14");
    EXPECT_FALSE(control<QLabel>(info, "FIXEDTEXT4")->text().isEmpty());
    const auto* logo = control<QLabel>(info, "ID_100");
    ASSERT_NE(logo, nullptr);
    EXPECT_FALSE(logo->pixmap().isNull());
    EXPECT_EQ(logo->property("image").toString(), "BMP_VARO");
    // The frames have no caption, so they have no name either: a screen reader asking for
    // "Transvo" must land on the product name, not on the frame around it.
    for (const char* frame : { "ID_101", "ID_102" }) {
        SCOPED_TRACE(frame);
        const auto* box = control<QGroupBox>(info, frame);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->accessibleName(), "");
    }
    int named = 0;
    for (const QWidget* child : info.findChildren<QWidget*>()) {
        named += child->accessibleName() == "Transvo" ? 1 : 0;
    }
    EXPECT_EQ(named, 1);
    // Closed through its close box only.
    EXPECT_TRUE(info.findChildren<QAbstractButton*>().isEmpty());
    EXPECT_TRUE(info.windowFlags() & Qt::WindowCloseButtonHint);
}
