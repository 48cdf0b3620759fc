#include "dialogs/INFO.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <gtest/gtest.h>

TEST(INFO, ShowsLogoNameAndVersion)
{
    QWidget owner;
    const INFO info(&owner);
    EXPECT_EQ(info.objectName(), "INFO");
    EXPECT_EQ(info.windowTitle(), "Info Transvo");
    EXPECT_EQ(info.parentWidget(), &owner);
    EXPECT_EQ(info.FIXEDTEXT2->text(), "Transvo");
    EXPECT_EQ(info.FIXEDTEXT3->text(), "Versie 4.14");
    EXPECT_FALSE(info.FIXEDTEXT4->text().isEmpty());
    const auto* logo = info.findChild<QLabel*>("ID_100");
    ASSERT_NE(logo, nullptr);
    EXPECT_FALSE(logo->pixmap().isNull());
    EXPECT_EQ(logo->property("image").toString(), "BMP_VARO");
    // The frames have no caption, so they have no name either: a screen reader asking for
    // "Transvo" must land on the product name, not on the frame around it.
    for (const char* frame : { "ID_101", "ID_102" }) {
        SCOPED_TRACE(frame);
        const auto* box = info.findChild<QGroupBox*>(frame);
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

TEST(INFO, UsesTheThreeFontsAndTheColouredNotice)
{
    const INFO info(nullptr);
    const struct
    {
        QLabel* label;
        double points;
        bool bold;
        bool underline;
    } fonts[] = { { info.FIXEDTEXT2, 10, true, false }, { info.FIXEDTEXT3, 8, false, true },
        { info.FIXEDTEXT4, 9, true, false } };
    for (const auto& font : fonts) {
        SCOPED_TRACE(font.label->objectName().toStdString());
        EXPECT_DOUBLE_EQ(font.label->font().pointSizeF(), font.points);
        EXPECT_EQ(font.label->font().bold(), font.bold);
        EXPECT_EQ(font.label->font().underline(), font.underline);
        EXPECT_EQ(font.label->accessibleName(), font.label->text());
    }
    EXPECT_EQ(info.FIXEDTEXT4->palette().color(QPalette::WindowText), QColor(0, 128, 192));
    EXPECT_EQ(info.FIXEDTEXT4->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_TRUE(info.FIXEDTEXT4->autoFillBackground());
}
