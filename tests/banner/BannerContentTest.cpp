#include "banner/BannerContent.h"

#include <gtest/gtest.h>

#include <string>

using namespace banner;

namespace {

TEST(DecodeContent, ReadsUtf8AndReplacesBadBytesWhateverTheItemDeclares)
{
    EXPECT_EQ(DecodeContent("<meta charset=\"iso-8859-1\">Caf\xC3\xA9"),
              QString::fromUtf8("<meta charset=\"iso-8859-1\">Caf\xC3\xA9"));
    EXPECT_EQ(DecodeContent("a\xE9z\xC3"), QString::fromUtf8("a\xEF\xBF\xBDz\xEF\xBF\xBD"));
}

TEST(DataUrlPayload, TakesBase64AndPercentEncodedDataOnly)
{
    EXPECT_EQ(DataUrlPayload("data:image/png;base64,QUJD"), QByteArray("ABC"));
    EXPECT_EQ(DataUrlPayload("DATA:text/plain,a%20b"), QByteArray("a b"));
    EXPECT_EQ(DataUrlPayload("data:,"), QByteArray());
    EXPECT_FALSE(DataUrlPayload("data:image/png;base64,Q!JD"));
    EXPECT_FALSE(DataUrlPayload("data:image/png;base64"));
    EXPECT_FALSE(DataUrlPayload("file:///etc/passwd"));
    EXPECT_FALSE(DataUrlPayload("p.png"));
}

TEST(PixelBudget, TakesWhatFitsAndNothingMore)
{
    PixelBudget budget(100);
    EXPECT_TRUE(budget.take(10, 5));
    EXPECT_FALSE(budget.take(10, 6));
    EXPECT_TRUE(budget.take(5, 10));
    EXPECT_FALSE(budget.take(1, 1));
    EXPECT_FALSE(PixelBudget(100).take(0, 5));
    EXPECT_FALSE(PixelBudget(1'000'000).take(2'000'000'000, 2'000'000'000)) << "no overflow";
    budget.refill();
    EXPECT_TRUE(budget.take(100, 1));
}

} // namespace
