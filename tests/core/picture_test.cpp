#include "dotdata/picture.h"

#include <gtest/gtest.h>

namespace dotdata {
namespace {

TEST(Picture, PaintStoresTheSelectedIndex)
{
    Picture picture;
    picture.paint(5);
    EXPECT_EQ(picture.entry(5), 0) << "painting before any colour is chosen stores 0";

    picture.selectColor(3);
    picture.paint(1023);
    picture.selectColor(7);
    picture.paint(0);
    picture.paint(1023);
    EXPECT_EQ(picture.entry(0), 7);
    EXPECT_EQ(picture.entry(1023), 7) << "the later paint wins";
    EXPECT_EQ(picture.entry(1024), 0) << "painting never reaches entry 1024";
    picture.store(1024, 9);
    EXPECT_EQ(picture.entry(1024), 9);
}

TEST(PictureDeathTest, AnIndexOutsideItsRangeStopsTheProgram)
{
    Picture picture;
    EXPECT_DEATH(picture.paint(1024), "");
    EXPECT_DEATH(picture.store(1025, 1), "");
    EXPECT_DEATH(picture.selectColor(8), "");
}

} // namespace
} // namespace dotdata
