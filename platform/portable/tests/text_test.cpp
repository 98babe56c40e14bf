#include "platform/portable/tests/test_canvas.h"
#include "platform/portable/text.h"

#include <cstring>
#include <string>

namespace {

using Pixels = std::set<std::pair<int, int>>;

// Text in the stock bitmap font unless a test picks another.
class Text : public PortableTest {
  protected:
    void SetUp() override {
        PortableTest::SetUp();
        canvas = std::make_unique<Canvas>(200, 60);
        SetBkMode(canvas->dc, TRANSPARENT);
        SetTextColor(canvas->dc, RGB(200, 100, 50));
        Use(portable::StockFontFamily, -10);
    }
    void TearDown() override {
        canvas.reset(); // deleting the context lets go of the font
        DeleteObject(font);
        PortableTest::TearDown();
    }
    void Use(const char* family, LONG height) {
        LOGFONTA description{};
        description.lfHeight = height;
        std::strcpy(description.lfFaceName, family);
        const HFONT created = CreateFontIndirectA(&description);
        SelectObject(canvas->dc, created);
        DeleteObject(std::exchange(font, created));
    }
    Pixels Draw(const std::string& text, RECT rect = {0, 0, 200, 60}) {
        canvas->Clear();
        drawnHeight = DrawTextA(canvas->dc, text.c_str(), -1, &rect, 0);
        return canvas->Lit();
    }
    static Pixels Shifted(Pixels pixels, int dx, int dy, const Pixels& plus = {}) {
        Pixels moved = plus;
        for (const auto& [x, y] : pixels) {
            moved.insert({x + dx, y + dy});
        }
        return moved;
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
        // In the text colour, five columns wide, a blank row above the capitals.
        for (const auto& [x, y] : glyph) {
            EXPECT_EQ(GetPixel(canvas->dc, x, y), RGB(200, 100, 50));
            EXPECT_TRUE(x >= 3 && x < 8 && y >= 6 && y < 15) << c << " at " << x << "," << y;
        }
        glyphs.insert(glyph);
        EXPECT_EQ(Draw("l" + text, {3, 5, 200, 60}), Shifted(glyph, 6, 0, l)) << c;
    }
    EXPECT_EQ(glyphs.size(), 94u);
    // Upright and unmirrored: capitals stand on row 7, descenders reach row 9, L's stem is left.
    const auto bottom = [this](const char* text) {
        return std::ranges::max(Draw(text), {}, [](auto pixel) { return pixel.second; }).second;
    };
    EXPECT_EQ(bottom("l"), 7);
    EXPECT_EQ(bottom("g"), 9);
    EXPECT_EQ(Draw("-"), (Pixels{{0, 4}, {1, 4}, {2, 4}, {3, 4}, {4, 4}}));
    EXPECT_TRUE(Draw("L").contains({0, 1}) && !Draw("L").contains({4, 1}));
}

TEST_F(Text, LinesBreakAtCrOrLfAndTheFirstLineThatCrossesTheBottomIsTheLast) {
    const auto one = Draw("ab");
    EXPECT_EQ(drawnHeight, 10);
    for (const char* text : {"ab\r\nab", "ab\nab", "ab\rab"}) { // CR LF counts once
        EXPECT_EQ(Draw(text), Shifted(one, 0, 10, one)) << text;
        EXPECT_EQ(drawnHeight, 20) << text;
    }
    EXPECT_EQ(Draw("ab\n\nab"), Shifted(one, 0, 20, one)); // LF LF leaves an empty line
    // A rectangle that ends inside the second line cuts it off there; a third never comes.
    const auto clipped = Draw("ab\nab\nab", {0, 0, 200, 13});
    EXPECT_EQ(drawnHeight, 20);
    EXPECT_GT(clipped.size(), one.size());
    for (const auto& [x, y] : clipped) {
        EXPECT_LT(y, 13);
    }
    // No wrapping: a narrow rectangle clips each line at its right edge.
    for (const auto& [x, y] : Draw("abcdef\nabcdef", {0, 0, 6, 60})) {
        EXPECT_LT(x, 6);
    }
}

TEST_F(Text, AmpersandIsThePrefixCharacter) {
    const auto ampersand = Draw("&&"); // one '&'
    EXPECT_FALSE(ampersand.empty());
    EXPECT_EQ(Draw("&&&"), ampersand); // a lone '&' at the end draws nothing
    const auto plain = Draw("ab");
    const auto prefixed = Draw("&ab"); // 'a' underlined
    EXPECT_TRUE(std::includes(prefixed.begin(), prefixed.end(), plain.begin(), plain.end()));
    std::set<int> underlineRows;
    for (const auto& pixel : prefixed) {
        if (!plain.contains(pixel)) {
            underlineRows.insert(pixel.second);
        }
    }
    EXPECT_EQ(underlineRows.size(), 1u);
}
