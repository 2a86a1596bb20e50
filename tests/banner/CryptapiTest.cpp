#include "banner/Cryptapi.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using namespace banner;

namespace {

// The inverse of the descrambler: how the stored forms of the fixed texts were made.
std::vector<std::uint8_t> Scramble(const std::string& text)
{
    std::vector<std::uint8_t> out;
    for (const char c : text) {
        auto b = static_cast<std::uint8_t>(static_cast<std::uint8_t>(c) + 31);
        if (!out.empty())
            b = static_cast<std::uint8_t>(b ^ out.back());
        out.push_back(b);
    }
    return out;
}

TEST(Descramble, FirstByteLosesThirtyOneAndLaterBytesMixWithTheStoredPredecessor)
{
    EXPECT_EQ(Descramble(std::vector<std::uint8_t>{0x61}), "\x42");
    EXPECT_EQ(Descramble(std::vector<std::uint8_t>{0x61, 0x61}), "\x42\xE1");
    EXPECT_EQ(Descramble(std::vector<std::uint8_t>{}), "");
    // 0x00 - 31 wraps to 0xE1; 0x10 ^ 0x00 = 0x10, - 31 wraps to 0xF1.
    EXPECT_EQ(Descramble(std::vector<std::uint8_t>{0x00, 0x10}), "\xE1\xF1");
}

TEST(Descramble, UndoesScramblingOfEveryByteValue)
{
    std::string all;
    for (int c = 0; c < 256; ++c)
        all += static_cast<char>(c);
    EXPECT_EQ(Descramble(Scramble(all)), all);
    EXPECT_EQ(Descramble(Scramble("https://banner.byteloom.example/")), "https://banner.byteloom.example/");
}

struct FixedText {
    const char* name;
    std::function<std::string()> value;
    std::size_t length;
};

TEST(FixedTexts, HaveTheirLengthsAndFitTheirRoles)
{
    const FixedText texts[] = {
        {"banner list address", BannerListAddress, 43}, {"start delimiter", StartDelimiter, 8},
        {"end marker", EndMarker, 12},                  {"page head", PageHead, 12},
        {"page tail", PageTail, 14},                    {"item-0 address", ItemZeroAddress, 45},
    };
    for (const FixedText& text : texts) {
        const std::string value = text.value();
        EXPECT_EQ(value.size(), text.length) << text.name << ": " << value;
        for (const char c : value)
            EXPECT_TRUE(c >= 0x20 && c < 0x7F) << text.name << " holds a byte that is not printable ASCII";
    }

    EXPECT_EQ(BannerListAddress().rfind("https://", 0), 0u);
    EXPECT_EQ(ItemZeroAddress().rfind("https://", 0), 0u);
    EXPECT_NE(BannerListAddress(), ItemZeroAddress());

    // The end marker can only match where the list stands at a delimiter.
    EXPECT_EQ(EndMarker().rfind(StartDelimiter(), 0), 0u);
    // An item page is an HTML document: head and tail open and close it.
    EXPECT_EQ(PageHead(), "<html><body>");
    EXPECT_EQ(PageTail(), "</body></html>");
    // Each item begins with the delimiter and is shown, so it must be invisible markup.
    EXPECT_EQ(StartDelimiter().rfind("<!--", 0), 0u);
    EXPECT_EQ(StartDelimiter().substr(StartDelimiter().size() - 3), "-->");
}

} // namespace
