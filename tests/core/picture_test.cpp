#include "dotdata/picture.h"

#include <gtest/gtest.h>

namespace dotdata {
namespace {

TEST(Picture, PaintStoresTheSelectedIndexAndResetKeepsEntry1024AndTheColour)
{
    Picture picture;
    for (int i = 0; i < kEntries; ++i)
        ASSERT_EQ(picture.entry(i).value(), 0) << i;
    ASSERT_TRUE(picture.paint(5));
    EXPECT_EQ(picture.entry(5).value(), 0) << "painting before any colour is chosen stores 0";

    ASSERT_TRUE(picture.selectColor(3));
    ASSERT_TRUE(picture.paint(1023));
    ASSERT_TRUE(picture.selectColor(7));
    ASSERT_TRUE(picture.paint(0));
    ASSERT_TRUE(picture.paint(1023));
    EXPECT_EQ(picture.entry(0).value(), 7);
    EXPECT_EQ(picture.entry(1023).value(), 7) << "the later paint wins";
    EXPECT_EQ(picture.entry(1024).value(), 0) << "painting never reaches entry 1024";

    ASSERT_TRUE(picture.store(1024, 9));
    picture.reset();
    for (int n = 0; n < kCells; ++n)
        ASSERT_EQ(picture.entry(n).value(), 0) << n;
    EXPECT_EQ(picture.entry(1024).value(), 9);
    EXPECT_EQ(picture.selectedColor(), 7);
}

TEST(Picture, IndexesOutsideTheirRangeFailAndChangeNothing)
{
    Picture picture;
    ASSERT_TRUE(picture.selectColor(2));
    const Picture::Table before = picture.table();

    const Status failures[] = {picture.store(-1, 1), picture.store(1025, 1), picture.paint(-1),
                               picture.paint(1024),  picture.selectColor(-1), picture.selectColor(8)};
    for (const Status &s : failures) {
        ASSERT_FALSE(s);
        EXPECT_EQ(s.error().kind, ErrorKind::IndexOutOfRange);
        EXPECT_NE(s.error().message.find("outside"), std::string::npos) << s.error().message;
    }
    EXPECT_EQ(picture.table(), before);
    EXPECT_EQ(picture.selectedColor(), 2);
    EXPECT_FALSE(picture.entry(-1));
    EXPECT_FALSE(picture.entry(1025));
    EXPECT_FALSE(paletteColor(8)) << "8 and 9 can be loaded but have no colour";

    ASSERT_TRUE(picture.store(1024, 5));
    EXPECT_EQ(picture.entry(1024).value(), 5);
}

} // namespace
} // namespace dotdata
