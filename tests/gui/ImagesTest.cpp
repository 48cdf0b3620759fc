#include "ui/Images.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

// Counts the pixels of the image that are not fully transparent.
int paintedPixels(const QPixmap& pixmap)
{
    const QImage image = pixmap.toImage();
    int painted = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            painted += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
        }
    }
    return painted;
}

} // namespace

TEST(Images, DrawEveryNamedImageAtItsSize)
{
    const struct
    {
        const char* name;
        QSize size;
    } images[] = {
        { "A_ICOON", { 32, 32 } },
        { "BMP_VARO", { 80, 80 } },
        { "BMP_MC1000", { 94, 200 } },
        { "ICO_ORD_OFF", { 32, 32 } },
        { "ICO_ORD_ON", { 32, 32 } },
        { "ICO_BENL", { 32, 32 } },
        { "ICO_KNV", { 32, 15 } },
        { "ICO_PRB", { 32, 32 } },
        { "ICO_PR2", { 32, 32 } },
        { "ICO_PRF", { 32, 32 } },
        { "ICO_PRE", { 32, 32 } },
        { "ICO_PRW", { 32, 32 } },
    };
    for (const auto& image : images) {
        SCOPED_TRACE(image.name);
        const QPixmap pixmap = ui::imagePixmap(image.name);
        ASSERT_FALSE(pixmap.isNull());
        EXPECT_EQ(pixmap.size(), image.size);
        // Real artwork covers a good part of its field; a broken SVG renders nothing.
        EXPECT_GT(paintedPixels(pixmap), image.size.width() * image.size.height() / 8);
        EXPECT_FALSE(ui::imageIcon(image.name).isNull());
    }
}

TEST(Images, TellApartTheOrderInformationStates)
{
    EXPECT_NE(ui::imagePixmap("ICO_ORD_ON").toImage(), ui::imagePixmap("ICO_ORD_OFF").toImage());
}

TEST(Images, KnowNoOtherNames)
{
    EXPECT_FALSE(ui::hasImage("ICO_NONE"));
    EXPECT_TRUE(ui::imagePixmap("ICO_NONE").isNull());
    EXPECT_TRUE(ui::imageIcon("ICO_NONE").isNull());
}

TEST(Images, GiveTheClassesTheirImages)
{
    EXPECT_FALSE(ui::A_ICOON().pixmap(32, 32).isNull());
    EXPECT_EQ(ui::imagePixmap("ICO_KNV").size(), QSize(32, 15));
}
