#include "page/PageState.h"
#include "support/ErrorText.h"
#include "support/FakeBlockIO.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using page::NavKey;
using page::ScrollAction;
using testing_support::ErrorText;
using testing_support::FakeBlockIO;
using testing_support::TempDir;

namespace {

// A page of 16 bytes a row and 4 rows over a file of 1000 bytes, its byte at n being n % 256.
class PageStateTest : public testing::Test {
protected:
    static std::vector<uint8_t> Counting(size_t n)
    {
        std::vector<uint8_t> bytes(n);
        for (size_t i = 0; i < n; ++i)
            bytes[i] = static_cast<uint8_t>(i);
        return bytes;
    }

    PageStateTest() { page.SetGridShape(16, 4), page.ReckonScrollBar(); }

    FakeBlockIO io{Counting(1000)};
    page::PageState page{"any", io.library()};
};

TEST_F(PageStateTest, KeysMoveTheCursorAndSayWhatChanged)
{
    page::PageState::Change c = page.ApplyKey(NavKey::Right, false);
    EXPECT_EQ(page.cursorAddress, 1);
    EXPECT_TRUE(c.cursor);
    EXPECT_FALSE(c.view);

    c = page.ApplyKey(NavKey::PageDown, false);
    EXPECT_EQ(page.cursorAddress, 1 + 64);
    EXPECT_TRUE(c.cursor);
    EXPECT_TRUE(c.view);
    EXPECT_EQ(page.topAddress, 16); // just far enough to show the cursor

    // Ctrl+Down scrolls by a row and leaves the cursor where it stands.
    c = page.ApplyKey(NavKey::Down, true);
    EXPECT_EQ(page.topAddress, 32);
    EXPECT_EQ(page.cursorAddress, 65);
    EXPECT_TRUE(c.view);
    EXPECT_FALSE(c.cursor);

    c = page.ApplyKey(NavKey::Up, false);
    EXPECT_EQ(page.cursorAddress, 49);
    EXPECT_FALSE(c.view);
    page.ApplyKey(NavKey::Up, false);
    // Up above the view brings the cursor's row to the top, and the grids' cells follow.
    c = page.ApplyKey(NavKey::Up, false);
    EXPECT_EQ(page.cursorAddress, 17);
    EXPECT_EQ(page.topAddress, 16);
    EXPECT_TRUE(c.view && c.cursor && c.gridCells);

    c = page.ApplyKey(NavKey::Other, false);
    EXPECT_FALSE(c.Any());
}

TEST_F(PageStateTest, MoveToAddressPutsTheRowOnTopAndTheInverseFindsTheCell)
{
    const page::PageState::Change c = page.MoveToAddress(999);
    EXPECT_TRUE(c.view && c.cursor && c.gridCells);
    EXPECT_EQ(page.cursorAddress, 999);
    EXPECT_EQ(page.topAddress, 992);
    const page::PageShape::Cell cell = page.Shape().CellOfAddress(page.topAddress, page.cursorAddress);
    EXPECT_EQ(cell.row, 0);
    EXPECT_EQ(cell.col, 8);
    EXPECT_EQ(page.CellAddress(cell.row, cell.col), 999);
    EXPECT_EQ(page.CellByte(cell.row, cell.col), 999 % 256);
    EXPECT_EQ(page.Shape().CellOfAddress(0, 37).row, 2);
}

// The size is the one taken at open: an offset at or past it, as a search over a file
// that grew since could answer, moves nothing, nor does one before the file's start.
TEST_F(PageStateTest, MoveToAddressOutsideTheSizeTakenAtOpenMovesNothing)
{
    io.bytes = Counting(3000);
    page.MoveToAddress(500);
    for (const int64_t outside : {int64_t{1000}, int64_t{1001}, int64_t{2999}, INT64_MAX, int64_t{-1}, INT64_MIN}) {
        EXPECT_FALSE(page.MoveToAddress(outside).Any()) << outside;
        EXPECT_EQ(page.cursorAddress, 500) << outside;
        EXPECT_EQ(page.topAddress, 496) << outside;
    }
    EXPECT_EQ(page.fileSize, 1000);
    EXPECT_TRUE(page.MoveToAddress(999).cursor);
    EXPECT_EQ(page.cursorAddress, 999);
}

TEST_F(PageStateTest, ClicksPastTheEndAreRefused)
{
    page.MoveToAddress(992);
    EXPECT_FALSE(page.ApplyClick(0, 9).Any()); // 1000: past the last byte
    EXPECT_EQ(page.cursorAddress, 992);
    EXPECT_TRUE(page.ApplyClick(0, 8).cursor);
    EXPECT_EQ(page.cursorAddress, 999);
    EXPECT_EQ(ErrorText([&] { page.CellByte(0, 0); }), "assertion failure");
    EXPECT_EQ(ErrorText([&] { ReadByte(page, 1000); }), "assertion failure");
}

TEST_F(PageStateTest, ScrollsAndTheWheelMoveOnlyTheView)
{
    page::PageState::Change c = page.ApplyScroll(ScrollAction::Bottom, 0);
    EXPECT_TRUE(c.view);
    EXPECT_FALSE(c.cursor);
    EXPECT_EQ(page.topAddress, 992);
    c = page.ApplyWheel(1);
    EXPECT_EQ(page.topAddress, 992 - 3 * 16);
    EXPECT_EQ(page.cursorAddress, 0);
}

TEST_F(PageStateTest, AReadFailureIsShownOnceUntilAPaintSucceeds)
{
    EXPECT_FALSE(page.PaintFinished());
    page.NotePaintFailure("file read error");
    page.NotePaintFailure("a later failure of the same paint");
    EXPECT_EQ(page.PaintFinished(), "file read error");
    page.NotePaintFailure("file read error");
    EXPECT_FALSE(page.PaintFinished());
    EXPECT_FALSE(page.PaintFinished()); // a paint that succeeded
    page.NotePaintFailure("file read error");
    EXPECT_EQ(page.PaintFinished(), "file read error");
}

// Printing compares its output with this, so it must name the file the page opened.
TEST(PageStateIdentity, IsTheOpenedFilesDeviceAndInodeOrNothingWithoutOne)
{
    TempDir dir;
    const std::string path = dir.write("viewed.bin", {1, 2, 3});
    FakeBlockIO io{{1, 2, 3}};
    const page::PageState page{path, io.library()};
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    ASSERT_TRUE(page.fileIdentity);
    EXPECT_EQ(*page.fileIdentity, (file::FileIdentity{info.st_dev, info.st_ino}));

    const page::PageState unnamed{dir.file("not-on-disk"), io.library()};
    EXPECT_FALSE(unnamed.fileIdentity);
}

// Two pages over real files of 1000 and 300 bytes, paired for comparison.
class PairedPages : public testing::Test {
protected:
    PairedPages()
    {
        for (page::PageState* p : {&longer, &shorter})
            p->SetGridShape(16, 4), p->ReckonScrollBar();
    }
    static std::vector<uint8_t> Filled(size_t n, uint8_t byte) { return std::vector<uint8_t>(n, byte); }

    TempDir dir;
    FakeBlockIO io{FakeBlockIO::OverRealLibrary{}};
    page::PageState longer{dir.write("longer", Filled(1000, 7)), io.library()};
    page::PageState shorter{dir.write("shorter", Filled(300, 7)), io.library()};
};

TEST_F(PairedPages, APageHasOnePartnerAndEitherSideEndsThePair)
{
    page::PageState::Pair(longer, shorter);
    EXPECT_EQ(longer.Partner(), &shorter);
    EXPECT_EQ(shorter.Partner(), &longer);
    {
        page::PageState third{dir.write("third", Filled(10, 7)), io.library()};
        page::PageState::Pair(third, shorter); // ends the old pair on both sides
        EXPECT_EQ(longer.Partner(), nullptr);
        EXPECT_EQ(shorter.Partner(), &third);
    } // the third page's end ends its pair
    EXPECT_EQ(shorter.Partner(), nullptr);
    page::PageState::Pair(longer, longer); // never with itself
    EXPECT_EQ(longer.Partner(), nullptr);
    page::PageState::Pair(longer, shorter);
    shorter.Unpair();
    EXPECT_EQ(longer.Partner(), nullptr);
}

TEST_F(PairedPages, BytesPastThePartnersEndDifferAndTheShorterFollowsOntoItsLastByte)
{
    EXPECT_FALSE(longer.DiffersFromPartner(500, 1)); // no partner, no difference
    page::PageState::Pair(longer, shorter);
    EXPECT_FALSE(longer.DiffersFromPartner(299, 7));
    EXPECT_TRUE(longer.DiffersFromPartner(299, 8));
    EXPECT_TRUE(longer.DiffersFromPartner(300, 7));

    longer.MoveToAddress(100);
    longer.ApplyKey(NavKey::Right, false);
    page::PageState::Change c = shorter.Follow(longer);
    EXPECT_EQ(shorter.topAddress, longer.topAddress);
    EXPECT_EQ(shorter.cursorAddress, 101);
    EXPECT_TRUE(c.view && c.cursor && c.gridCells);

    longer.MoveToAddress(999);
    c = shorter.Follow(longer);
    EXPECT_EQ(shorter.cursorAddress, 299);
    EXPECT_EQ(shorter.topAddress, 288); // its last row at the top, as far as it goes
    EXPECT_TRUE(c.gridCells);

    // Scrolled away from the cursor: the view follows, the grids' cells stay.
    longer.MoveToAddress(0);
    shorter.Follow(longer);
    longer.ApplyWheel(-2);
    c = shorter.Follow(longer);
    EXPECT_EQ(shorter.topAddress, longer.topAddress);
    EXPECT_EQ(shorter.cursorAddress, 0);
    EXPECT_FALSE(c.gridCells);
}

} // namespace

