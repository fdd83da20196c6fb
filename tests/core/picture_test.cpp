#include "dotdata/picture.h"

#include <gtest/gtest.h>

namespace dotdata {
namespace {

TEST(Picture, NewModelIsAllZeroAndPaintingBeforeSelectingStoresZero)
{
    Picture picture;
    for (int i = 0; i < kEntries; ++i)
        ASSERT_EQ(picture.entry(i).value(), 0) << i;
    EXPECT_EQ(picture.selectedColor(), 0);

    ASSERT_TRUE(picture.store(5, 6));
    ASSERT_TRUE(picture.paint(5));
    EXPECT_EQ(picture.entry(5).value(), 0);
}

TEST(Picture, PaintStoresTheSelectedIndexAndTheLaterPaintWins)
{
    Picture picture;
    ASSERT_TRUE(picture.selectColor(3));
    ASSERT_TRUE(picture.paint(1023));
    EXPECT_EQ(picture.entry(1023).value(), 3);
    ASSERT_TRUE(picture.selectColor(7));
    ASSERT_TRUE(picture.paint(1023));
    EXPECT_EQ(picture.entry(1023).value(), 7);
    EXPECT_EQ(picture.entry(1024).value(), 0) << "painting never reaches entry 1024";
}

TEST(Picture, ResetClearsCellsButKeepsEntry1024AndTheSelectedColour)
{
    Picture picture;
    ASSERT_TRUE(picture.selectColor(4));
    for (int n = 0; n < kCells; ++n)
        ASSERT_TRUE(picture.paint(n));
    ASSERT_TRUE(picture.store(1024, 9));

    picture.reset();

    for (int n = 0; n < kCells; ++n)
        ASSERT_EQ(picture.entry(n).value(), 0) << n;
    EXPECT_EQ(picture.entry(1024).value(), 9);
    EXPECT_EQ(picture.selectedColor(), 4);
}

TEST(Picture, IndexesOutsideTheirRangeFailAndChangeNothing)
{
    Picture picture;
    ASSERT_TRUE(picture.selectColor(2));
    const Picture::Table before = picture.table();

    struct Case {
        const char *name;
        Status status;
    };
    const Case cases[] = {
        {"store -1", picture.store(-1, 1)},
        {"store 1025", picture.store(1025, 1)},
        {"paint -1", picture.paint(-1)},
        {"paint 1024", picture.paint(1024)},
        {"select -1", picture.selectColor(-1)},
        {"select 8", picture.selectColor(8)},
    };
    for (const Case &c : cases) {
        ASSERT_FALSE(c.status) << c.name;
        EXPECT_EQ(c.status.error().kind, ErrorKind::IndexOutOfRange) << c.name;
        EXPECT_FALSE(c.status.error().message.empty()) << c.name;
    }
    EXPECT_EQ(picture.table(), before);
    EXPECT_EQ(picture.selectedColor(), 2);

    EXPECT_FALSE(picture.entry(-1));
    EXPECT_FALSE(picture.entry(1025));
    EXPECT_TRUE(picture.store(1024, 5));
    EXPECT_EQ(picture.entry(1024).value(), 5);
}

TEST(Palette, ColoursAreLaidOutBlueGreenRed)
{
    const ColorValue expected[] = {0x00000000, 0x00FF0000, 0x000000FF, 0x000040C0,
                                   0x00008000, 0x00FFFF00, 0x0000FFFF, 0x80000005};
    for (int k = 0; k < kPaletteSize; ++k)
        EXPECT_EQ(paletteColor(k).value(), expected[k]) << k;
    for (int k : {-1, 8, 9})
        EXPECT_EQ(paletteColor(k).error().kind, ErrorKind::IndexOutOfRange) << k;
}

TEST(Geometry, CellIndexRowAndColumnAgree)
{
    struct Case {
        int cell, row, column;
    };
    for (const Case c : {Case{0, 0, 0}, Case{31, 0, 31}, Case{32, 1, 0}, Case{527, 16, 15}, Case{1023, 31, 31}}) {
        EXPECT_EQ(rowOf(c.cell), c.row) << c.cell;
        EXPECT_EQ(columnOf(c.cell), c.column) << c.cell;
        EXPECT_EQ(cellIndex(c.row, c.column), c.cell) << c.cell;
    }
}

} // namespace
} // namespace dotdata
