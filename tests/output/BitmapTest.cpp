#include "output/Bitmap.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

TEST(Bitmap, CopiesShareOnePictureAndANewOneIsWhite)
{
    util::Bitmap original(30, 20);
    EXPECT_EQ(original.width(), 30);
    EXPECT_EQ(original.height(), 20);
    EXPECT_EQ(original.image().pixel(29, 19), qRgb(255, 255, 255));

    const util::Bitmap copy = original;
    original.image().setPixel(3, 4, qRgb(1, 2, 3));
    EXPECT_EQ(copy.image().pixel(3, 4), qRgb(1, 2, 3));
    EXPECT_EQ(&copy.image(), &original.image());
}

TEST(Bitmap, MadeWithoutSizeIsEmpty)
{
    util::Bitmap empty;
    EXPECT_TRUE(empty.image().isNull());
    EXPECT_EQ(empty.width(), 0);
}

} // namespace
