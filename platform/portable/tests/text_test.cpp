#include "platform/portable/tests/test_canvas.h"
#include "platform/portable/text.h"

#include <ranges>
#include <string>

namespace {

class Text : public PortableTest { // the stock bitmap font, transparent, in one colour
  protected:
    void SetUp() override {
        PortableTest::SetUp();
        canvas = std::make_unique<Canvas>(200, 60);
        SetBkMode(canvas->dc, TRANSPARENT);
        SetTextColor(canvas->dc, RGB(200, 100, 50));
        LOGFONTA description{};
        description.lfHeight = -10;
        std::string(portable::StockFontFamily).copy(description.lfFaceName, LF_FACESIZE - 1);
        SelectObject(canvas->dc, font = CreateFontIndirectA(&description));
    }
    void TearDown() override {
        canvas.reset(); // deleting the context lets go of the font
        DeleteObject(font);
        PortableTest::TearDown();
    }
    Pixels Draw(const std::string& text, RECT rect = {0, 0, 200, 60}) {
        canvas->Clear();
        drawnHeight = DrawTextA(canvas->dc, text.c_str(), -1, &rect, 0);
        return canvas->Lit();
    }
    static Pixels Shifted(const Pixels& pixels, int dx, int dy, Pixels plus) {
        for (const auto& [x, y] : pixels) {
            plus.insert({x + dx, y + dy});
        }
        return plus;
    }
    std::unique_ptr<Canvas> canvas;
    HFONT font = nullptr;
    int drawnHeight = 0;
};

} // namespace

TEST_F(Text, TheStockFontHasAGlyphOfItsOwnForEveryPrintableCharacterInASixByTenCell) {
    std::set<Pixels> glyphs;
    const auto l = Draw("l", {3, 5, 200, 60});
    for (char c = '!'; c <= '~'; ++c) {
        const std::string text(c == '&' ? 2 : 1, c); // "&&" is one '&'
        const auto glyph = Draw(text, {3, 5, 200, 60});
        EXPECT_FALSE(glyph.empty()) << c;
        for (const auto& [x, y] : glyph) { // text colour, five columns, a blank row above capitals
            EXPECT_EQ(GetPixel(canvas->dc, x, y), RGB(200, 100, 50));
            EXPECT_TRUE(x >= 3 && x < 8 && y >= 6 && y < 15) << c << " at " << x << "," << y;
        }
        glyphs.insert(glyph);
        EXPECT_EQ(Draw("l" + text, {3, 5, 200, 60}), Shifted(glyph, 6, 0, l)) << c;
    }
    EXPECT_EQ(glyphs.size(), 94u);
    EXPECT_EQ(std::ranges::max(Draw("l") | std::views::values), 7); // upright: capitals on 7
    EXPECT_EQ(std::ranges::max(Draw("g") | std::views::values), 9);
    EXPECT_TRUE(Draw("L").contains({0, 1}) && !Draw("L").contains({4, 1})); // unmirrored
    // '&' prefixes: "&&" draws one, a lone one at the end nothing, "&ab" underlines the 'a'.
    const auto plain = Draw("ab"), prefixed = Draw("&ab");
    EXPECT_EQ(Draw("&&&"), Draw("&&"));
    std::set<int> rows; // the text's pixels as -1, the underline's by row
    for (const auto& pixel : prefixed) {
        rows.insert(plain.contains(pixel) ? -1 : pixel.second);
    }
    EXPECT_TRUE(std::ranges::includes(prefixed, plain) && rows.size() == 2);
}

TEST_F(Text, LinesBreakAtCrOrLfAndTheFirstLineThatCrossesTheBottomIsTheLast) {
    const auto one = Draw("ab");
    EXPECT_EQ(drawnHeight, 10);
    for (const char* text : {"ab\r\nab", "ab\nab", "ab\rab"}) { // CR LF counts once
        EXPECT_EQ(Draw(text), Shifted(one, 0, 10, one)) << text;
    }
    EXPECT_EQ(Draw("ab\n\nab"), Shifted(one, 0, 20, one));    // LF LF leaves an empty line
    const auto clipped = Draw("ab\nab\nab", {0, 0, 200, 13}); // the second line cut off at 13
    EXPECT_EQ(drawnHeight, 20);
    EXPECT_GT(clipped.size(), one.size());
    EXPECT_TRUE(std::ranges::all_of(clipped, [](auto p) { return p.second < 13; }));
    EXPECT_TRUE(std::ranges::all_of(Draw("abcdef\nabcdef", {0, 0, 6, 60}), // no wrapping
                                    [](auto p) { return p.first < 6; }));
}
