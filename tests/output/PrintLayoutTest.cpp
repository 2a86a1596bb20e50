#include "output/PrintLayout.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

struct LayoutCase {
    std::string name;
    int pageWidth, pageHeight, imageWidth, imageHeight;
    double scale;
    QRect image;
    int headerBottom; // exclusive
    int footerTop;
};

void PrintTo(const LayoutCase& c, std::ostream* out) { *out << c.name; }

class PrintLayoutTable : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(PrintLayoutTable, PlacesImageAndBands)
{
    const LayoutCase& c = GetParam();
    const output::PrintLayout layout = output::ComputePrintLayout(c.pageWidth, c.pageHeight, c.imageWidth, c.imageHeight);
    EXPECT_NEAR(layout.scale, c.scale, 1e-4);
    EXPECT_EQ(layout.image, c.image);
    EXPECT_EQ(layout.header, QRect(0, 0, c.pageWidth, c.headerBottom));
    EXPECT_EQ(layout.footer, QRect(0, c.footerTop, c.pageWidth, c.pageHeight - c.footerTop));
    if (!c.image.isEmpty()) {
        // The image clears both bands.
        EXPECT_GE(layout.image.top(), c.headerBottom);
        EXPECT_LE(layout.image.top() + layout.image.height(), c.footerTop);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sheets, PrintLayoutTable,
    ::testing::Values(
        // Portrait: the width limits the scale.
        LayoutCase{"Portrait", 4961, 7017, 537, 583, 8.31452, QRect(248, 1085, 4464, 4847), 350, 6806},
        // Landscape: the height limits it, and the image begins where the header ends.
        LayoutCase{"Landscape", 7017, 4961, 537, 583, 7.65849, QRect(1452, 248, 4112, 4464), 248, 4812},
        // The PDF printer's A4 page at 600 dpi with a wide view.
        LayoutCase{"PdfA4WideView", 4792, 6851, 900, 400, 4.792, QRect(240, 2467, 4312, 1916), 342, 6645},
        // Nothing to scale: no image, the bands stay.
        LayoutCase{"EmptyImage", 4961, 7017, 0, 0, 0.0, QRect(), 350, 6806}),
    [](const ::testing::TestParamInfo<LayoutCase>& param) { return param.param.name; });

TEST(CentredTextPos, CentresInTheBandAndLetsAWideTextStartLeftOfThePage)
{
    const output::PrintLayout layout = output::ComputePrintLayout(4961, 7017, 537, 583);
    // (4961 - 961) div 2, (0 + 350 - 100) div 2
    EXPECT_EQ(output::CentredTextPos(layout.header, 4961, 961, 100), QPoint(2000, 125));
    // (6806 + 7017 - 100) div 2
    EXPECT_EQ(output::CentredTextPos(layout.footer, 4961, 961, 100), QPoint(2000, 6861));
    // A path wider than the page: (4961 - 6000) div 2 truncates toward zero.
    EXPECT_EQ(output::CentredTextPos(layout.header, 4961, 6000, 100).x(), -519);
}

} // namespace
