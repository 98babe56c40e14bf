#include "platform/portable/tests/test_canvas.h"

#include <algorithm>
#include <cstring>

namespace {

class Text : public PortableTest {
  protected:
    void SetUp() override {
        PortableTest::SetUp();
        canvas = std::make_unique<Canvas>(200, 60);
        LOGFONTA description{};
        description.lfHeight = -10;
        std::strcpy(description.lfFaceName, "Lucida Console");
        font = CreateFontIndirectA(&description);
        SelectObject(canvas->dc, font);
        SetBkMode(canvas->dc, TRANSPARENT);
        SetTextColor(canvas->dc, RGB(200, 100, 50));
    }
    void TearDown() override {
        canvas.reset(); // deleting the context lets go of the font
        DeleteObject(font);
        PortableTest::TearDown();
    }
    std::set<std::pair<int, int>> Draw(const char* text, RECT rect) {
        canvas->Clear();
        DrawTextA(canvas->dc, text, -1, &rect, 0);
        return canvas->Lit();
    }
    static std::set<std::pair<int, int>> Shifted(const std::set<std::pair<int, int>>& pixels,
                                                 int dx, int dy) {
        std::set<std::pair<int, int>> moved;
        for (const auto& [x, y] : pixels) {
            moved.insert({x + dx, y + dy});
        }
        return moved;
    }
    std::unique_ptr<Canvas> canvas;
    HFONT font = nullptr;
};

} // namespace

TEST_F(Text, GlyphPixelsOnlyInTheTextColourInsideTheRectangle) {
    const RECT rect{3, 5, 200, 15};
    const auto lit = Draw("Epiphase 060", rect);
    ASSERT_GT(lit.size(), 40u);
    for (const auto& [x, y] : lit) {
        EXPECT_EQ(GetPixel(canvas->dc, x, y), RGB(200, 100, 50));
        EXPECT_TRUE(x >= 3 && y >= 5 && y < 15) << x << "," << y;
    }
    // The cell's top-left is the rectangle's: the same text elsewhere is the same pixels moved.
    EXPECT_EQ(Draw("Epiphase 060", {13, 25, 200, 35}), Shifted(lit, 10, 20));
}

TEST_F(Text, LinesBreakAtCrOrLfAndTheFirstLineThatCrossesTheBottomIsTheLast) {
    const auto one = Draw("ab", {0, 0, 200, 60});
    const auto topRow = [](const std::set<std::pair<int, int>>& pixels) {
        return std::min_element(pixels.begin(), pixels.end(),
                                [](auto a, auto b) { return a.second < b.second; })
            ->second;
    };
    const int lineHeight = topRow(Draw("\nab", {0, 0, 200, 60})) - topRow(one);
    ASSERT_GT(lineHeight, 6);
    auto two = one;
    two.merge(Shifted(one, 0, lineHeight));
    EXPECT_EQ(Draw("ab\r\nab", {0, 0, 200, 60}), two); // CR LF counts once
    EXPECT_EQ(Draw("ab\nab", {0, 0, 200, 60}), two);
    // A rectangle that ends inside the second line cuts it off there; a third never comes.
    const auto clipped = Draw("ab\nab\nab", {0, 0, 200, lineHeight + 3});
    EXPECT_GT(clipped.size(), one.size());
    for (const auto& [x, y] : clipped) {
        EXPECT_LT(y, lineHeight + 3);
    }
    // No wrapping: a narrow rectangle clips each line at its right edge.
    for (const auto& [x, y] : Draw("abcdef\nabcdef", {0, 0, 6, 60})) {
        EXPECT_LT(x, 6);
    }
}

TEST_F(Text, AmpersandIsThePrefixCharacter) {
    const RECT rect{0, 0, 200, 20};
    const auto ampersand = Draw("&&", rect); // one '&'
    EXPECT_FALSE(ampersand.empty());
    EXPECT_EQ(Draw("&&&", rect), ampersand); // a lone '&' at the end draws nothing
    const auto plain = Draw("ab", rect);
    const auto prefixed = Draw("&ab", rect); // 'a' underlined
    EXPECT_TRUE(std::includes(prefixed.begin(), prefixed.end(), plain.begin(), plain.end()));
    std::set<int> underlineRows;
    for (const auto& pixel : prefixed) {
        if (!plain.contains(pixel)) {
            underlineRows.insert(pixel.second);
        }
    }
    EXPECT_EQ(underlineRows.size(), 1u);
}
