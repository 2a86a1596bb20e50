#include "banner/RenderAnswer.h"

#include <gtest/gtest.h>

using namespace banner;

namespace {

Rendering Sample()
{
    Rendering r;
    r.pixelWidth = 3;
    r.pixelHeight = 2;
    r.dprMilli = 1500;
    r.documentWidth = 2;
    r.documentHeight = 40000;
    r.scrollBar = true;
    r.text = "Caf\xC3\xA9 offer";
    r.links = {{1, -2, 10, 12, "https://x.example/", "offer"}, {0, 30, 4, 4, "more.html", ""}};
    r.pixels = QByteArray(3 * 2 * 4, '\x7f');
    return r;
}

QByteArray Body(const QByteArray& framed) { return framed.mid(HeaderBytes); }

TEST(RenderAnswer, ReadsBackWhatWasWrittenInPiecesOfAnySize)
{
    const QByteArray bytes = EncodeAnswer(Sample());
    for (std::size_t piece : {std::size_t{1}, std::size_t{7}, std::size_t{8}, std::size_t{4096}}) {
        AnswerReader reader;
        std::size_t at = 0;
        while (reader.state() == AnswerReader::State::More && at < static_cast<std::size_t>(bytes.size())) {
            const std::size_t n = std::min(piece, static_cast<std::size_t>(bytes.size()) - at);
            const std::size_t taken = reader.feed(bytes.constData() + at, n);
            ASSERT_LE(taken, n);
            at += taken;
        }
        ASSERT_EQ(reader.state(), AnswerReader::State::Done) << piece;
        EXPECT_EQ(at, static_cast<std::size_t>(bytes.size()));
        const std::optional<Rendering> r = reader.take();
        ASSERT_TRUE(r);
        EXPECT_EQ(EncodeAnswer(*r), bytes);
        EXPECT_EQ(r->links[0].y, -2);
        EXPECT_EQ(r->text, Sample().text);
    }
}

TEST(RenderAnswer, TakesNoByteBeyondTheAnswer)
{
    const QByteArray bytes = EncodeAnswer(Sample()) + "more";
    AnswerReader reader;
    EXPECT_EQ(reader.feed(bytes.constData(), static_cast<std::size_t>(bytes.size())), static_cast<std::size_t>(bytes.size()) - 4);
    EXPECT_EQ(reader.state(), AnswerReader::State::Done);
}

TEST(RenderAnswer, JudgesTheHeaderBeforeTakingRoomForTheBody)
{
    static_assert(MaxAnswerBytes < 0x700000 && MaxAnswerBytes > 0x400000, "the children of the view test are chosen around it");
    for (const QByteArray& header : {QByteArray("BLa1\xff\xff\xff\x7f", 8), QByteArray("BLa1\x00\x00\x70\x00", 8),
                                     QByteArray("BLq1\x10\x00\x00\x00", 8), QByteArray("garbage!")}) {
        AnswerReader reader;
        reader.feed(header.constData(), 8);
        EXPECT_EQ(reader.state(), AnswerReader::State::Bad) << header.toHex().toStdString();
        EXPECT_EQ(reader.wanted(), 0u);
    }
    AnswerReader reader;
    reader.feed("BLa1\x00\x00\x40\x00", 8);
    EXPECT_EQ(reader.state(), AnswerReader::State::More);
    EXPECT_EQ(reader.wanted(), 0x400000u);
}

struct Spoiled {
    const char* name;
    void (*spoil)(Rendering&);
};

void PrintTo(const Spoiled& c, std::ostream* os) { *os << c.name; }

class RenderAnswerSpoiled : public ::testing::TestWithParam<Spoiled> {};

TEST_P(RenderAnswerSpoiled, IsRefusedWhole)
{
    Rendering r = Sample();
    GetParam().spoil(r);
    EXPECT_FALSE(DecodeAnswer(Body(EncodeAnswer(r))));
}

INSTANTIATE_TEST_SUITE_P(
    Fields, RenderAnswerSpoiled,
    ::testing::Values(Spoiled{"PixelsShortOfTheSize", [](Rendering& r) { r.pixels.chop(1); }},
                      Spoiled{"PixelsBeyondTheSize", [](Rendering& r) { r.pixels += "xxxx"; }},
                      Spoiled{"NegativeWidth", [](Rendering& r) { r.pixelWidth = -3; }},
                      Spoiled{"WidthOverTheSide", [](Rendering& r) { r.pixelWidth = MaxSide + 1; }},
                      Spoiled{"SizeWrapsTo32Bits", [](Rendering& r) { r.pixelWidth = 65536; r.pixelHeight = 65536; r.pixels.clear(); }},
                      Spoiled{"RatioZero", [](Rendering& r) { r.dprMilli = 0; }},
                      Spoiled{"DocumentHeightOverTheCap", [](Rendering& r) { r.documentHeight = MaxExtent + 1; }},
                      Spoiled{"DocumentHeightNegative", [](Rendering& r) { r.documentHeight = -1; }},
                      Spoiled{"LinkFarOutside", [](Rendering& r) { r.links[0].x = -MaxSide - 1; }},
                      Spoiled{"LinkAddressOverTheCap", [](Rendering& r) { r.links[0].address.assign(MaxAddressBytes + 1, 'a'); }},
                      Spoiled{"TextOverTheCap", [](Rendering& r) { r.text.assign(MaxTextBytes + 1, 'a'); }},
                      Spoiled{"TooManyLinks", [](Rendering& r) { r.links.resize(MaxLinks + 1, r.links[0]); }}),
    [](const ::testing::TestParamInfo<Spoiled>& p) { return std::string(p.param.name); });

TEST(RenderAnswer, RefusesACountOfLinksLargerThanTheBodyCouldHold)
{
    QByteArray body = Body(EncodeAnswer(Sample()));
    // The link count sits after the fixed fields and the text.
    const qsizetype count = 6 * 4 + 4 + static_cast<qsizetype>(Sample().text.size());
    body[count] = '\xff';
    body[count + 1] = '\x01';
    EXPECT_FALSE(DecodeAnswer(body));
    EXPECT_FALSE(DecodeAnswer(body.left(count + 2)));
    EXPECT_FALSE(DecodeAnswer(QByteArray()));
}

TEST(RenderRequest, ReadsBackWhatWasWrittenAndRefusesAnItemOverTheCap)
{
    RenderRequest request;
    request.html = "<p>x</p>";
    request.width = 600;
    request.widthWithBar = 585;
    request.height = 126;
    request.dprMilli = 2000;
    request.font = "Sans,10";
    request.palette[3] = 0xff123456;
    const QByteArray framed = EncodeRequest(request);
    ASSERT_EQ(BodyLength(framed.constData(), RequestKind, MaxRequestBytes), static_cast<std::size_t>(framed.size()) - HeaderBytes);
    const std::optional<RenderRequest> back = DecodeRequest(Body(framed));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->html, request.html);
    EXPECT_EQ(back->palette, request.palette);
    EXPECT_EQ(back->widthWithBar, 585);

    request.html = QByteArray(static_cast<qsizetype>(MaxItemBytes), 'a');
    EXPECT_TRUE(DecodeRequest(Body(EncodeRequest(request))));
    request.html += 'a';
    EXPECT_FALSE(DecodeRequest(Body(EncodeRequest(request))));
}

} // namespace
