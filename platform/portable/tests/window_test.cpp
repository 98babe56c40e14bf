#include "platform/displays/headless/display.h"
#include "platform/portable/tests/test_canvas.h"

#include <png.h>
#include <ranges>
#include <string>
#include <tuple>
#include <vector>

namespace {

std::vector<std::tuple<HWND, UINT, WPARAM>> records;
LRESULT createAnswer = 0;
LPARAM lastSize = 0; // of the last WM_SIZE

LRESULT CALLBACK Recorder(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    records.push_back({window, message, wParam});
    lastSize = message == WM_SIZE ? lParam : lastSize;
    return message == WM_CREATE ? createAnswer : DefWindowProcA(window, message, wParam, lParam);
}

template <std::size_t I> auto Recorded() { // column I: 0 the window, 1 the message, 2 wParam
    const auto column = records | std::views::elements<I>;
    return std::vector(column.begin(), column.end());
}

class Windows : public PortableTest {
  protected:
    void SetUp() override {
        PortableTest::SetUp();
        records.clear();
        createAnswer = 0;
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = Recorder;
        windowClass.lpszClassName = "Bare"; // no background brush
        ASSERT_NE(RegisterClassA(&windowClass), 0);
        windowClass.lpszClassName = "Recorder";
        windowClass.style = CS_HREDRAW | CS_VREDRAW;
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        ASSERT_NE(RegisterClassA(&windowClass), 0);
    }
    static HWND Popup(const char* className = "Recorder", DWORD visible = WS_VISIBLE) {
        return CreateWindowExA(0, className, "Popup", WS_POPUP | visible, 0, 0, 64, 48, nullptr,
                               nullptr, nullptr, nullptr);
    }
    static std::vector<LONG> Corners(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
    static HWND Child(HWND parent) { // at (4, 4), 16 × 8
        return CreateWindowExA(0, "Recorder", "Child", WS_CHILD | WS_VISIBLE, 4, 4, 16, 8, parent,
                               nullptr, nullptr, nullptr);
    }
    // Dispatches what is pending up to (not including) the first paint; returns what it was.
    static std::vector<UINT> DrainUntilPaint() {
        std::vector<UINT> seen;
        MSG msg;
        while (seen.size() < 50 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) &&
               msg.message != WM_PAINT) {
            seen.push_back(msg.message);
            DispatchMessageA(&msg);
        }
        return seen;
    }
    static void Fill(HWND window, COLORREF color, RECT all = {-1000, -1000, 1000, 1000}) {
        const HDC dc = GetDC(window);
        const HBRUSH brush = CreateSolidBrush(color);
        FillRect(dc, &all, brush);
        DeleteObject(brush);
        ReleaseDC(window, dc);
    }
};

} // namespace

TEST_F(Windows, CreationAndDestructionComeInWindowsOrderAndNamesIgnoreCase) {
    const HWND popup = Popup();
    EXPECT_EQ(Recorded<1>(),
              (std::vector<UINT>{WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE,
                                 WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_ACTIVATEAPP, WM_ACTIVATE,
                                 WM_SETFOCUS, WM_WINDOWPOSCHANGED}));
    const HWND child = Child(popup);
    EXPECT_EQ(FindWindowA("recorder", "Popup"), popup); // class names ignore case, titles not
    EXPECT_EQ(FindWindowA("Recorder", "popup"), nullptr);
    EXPECT_EQ(RegisterWindowMessageA("AutoPlay"), RegisterWindowMessageA("autoplay"));
    EXPECT_NE(RegisterWindowMessageA("AutoPlay"), RegisterWindowMessageA("Other"));
    records.clear();
    EXPECT_TRUE(DestroyWindow(popup));
    EXPECT_EQ(Recorded<0>(), (std::vector{popup, child, child, popup}));
    EXPECT_EQ(Recorded<1>(),
              (std::vector<UINT>{WM_DESTROY, WM_DESTROY, WM_NCDESTROY, WM_NCDESTROY}));
    EXPECT_FALSE(IsWindow(popup) || IsWindow(child) || DestroyWindow(popup));
    // A creation answered with -1 is undone, and no window is handed out.
    records.clear();
    createAnswer = -1;
    EXPECT_EQ(Popup(), nullptr);
    EXPECT_EQ(Recorded<1>(),
              (std::vector<UINT>{WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}));
    EXPECT_EQ(portable::LiveWindowCount(), 0u);
}

TEST_F(Windows, PostedThenQuitThenInputThenPaintParentsFirstAndChildrenDrawOnTheirParents) {
    const HWND popup = Popup();
    const HWND child = Child(popup);
    InvalidateRect(Popup("Recorder", 0), nullptr, TRUE); // hidden: never painted
    DrainUntilPaint();
    portable::MovePointer({30, 30});
    PostMessageA(popup, WM_APP, 1, 0);
    PostQuitMessage(7);
    PostMessageA(popup, WM_TIMER, 2, 0);
    MSG msg; // the quit message waits while anything posted is pending
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
    EXPECT_TRUE(PeekMessageA(&msg, popup, WM_TIMER, WM_TIMER, PM_REMOVE) && msg.wParam == 2);
    EXPECT_TRUE(GetMessageA(&msg, nullptr, 0, 0) && msg.message == WM_APP);
    EXPECT_TRUE(!GetMessageA(&msg, nullptr, 0, 0) && msg.wParam == 7); // the quit message
    // The quit message went first of what remained; then input, then the paints.
    EXPECT_EQ(DrainUntilPaint(), (std::vector<UINT>{WM_MOUSEMOVE}));
    std::vector<HWND> painted;
    while (painted.size() < 5 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ASSERT_EQ(msg.message, WM_PAINT);
        painted.push_back(msg.hwnd);
        DispatchMessageA(&msg); // the default procedure paints and validates
    }
    EXPECT_EQ(painted, (std::vector<HWND>{popup, child}));
    // Input goes to the window under the pointer, keys to the one in front.
    records.clear();
    portable::MovePointer({6, 6}); // inside the child
    portable::PressInput(WM_LBUTTONDOWN, 1);
    portable::PressInput(WM_KEYDOWN, 'A');
    portable::DeactivateApplication();
    DrainUntilPaint();
    const auto asked = reinterpret_cast<WPARAM>(child);
    EXPECT_EQ(Recorded<0>(), (std::vector{popup, child, child, child, child, popup}));
    EXPECT_EQ(Recorded<1>(), (std::vector<UINT>{WM_ACTIVATEAPP, WM_SETCURSOR, WM_MOUSEMOVE,
                                                WM_SETCURSOR, WM_LBUTTONDOWN, WM_KEYDOWN}));
    EXPECT_EQ(Recorded<2>(), (std::vector<WPARAM>{0, asked, 0, asked, 1, 'A'}));
    // A child draws clipped to itself on its top-level window's surface, as the PNG shows.
    Fill(child, RGB(255, 128, 1));
    const portable::Surface shown = portable::CaptureClientArea(popup);
    const Pixels lit = Lit(shown); // the child's 16 × 8 at (4, 4)
    EXPECT_EQ(std::tuple(lit.size(), *lit.begin(), *lit.rbegin()),
              std::tuple(std::size_t{16 * 8}, std::pair(4, 4), std::pair(19, 11)));
    const std::string path = ::testing::TempDir() + "epiphase-window.png";
    ASSERT_TRUE(portable::WritePng(shown, path));
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    EXPECT_EQ(rgb[780] << 16 | rgb[781] << 8 | rgb[782], 0xFF8001); // at (4, 4)
}

TEST_F(Windows, BeginPaintErasesWhenAskedClipsAndValidatesAndResizingRepaintsARedrawClass) {
    // Class; erase asked by the invalidation; left to the painter; pixels the class brush filled.
    const std::tuple<const char*, BOOL, BOOL, std::size_t> cases[] = {
        {"Recorder", TRUE, FALSE, 40 * 15}, {"Bare", TRUE, TRUE, 0}, {"Recorder", FALSE, FALSE, 0}};
    for (const auto& [className, erase, fErase, blackPixels] : cases) {
        const HWND window = Popup(className);
        PAINTSTRUCT paint;
        EndPaint(window, (BeginPaint(window, &paint), &paint)); // the paint showing asked for
        Fill(window, RGB(255, 255, 255));
        const RECT first{10, 5, 30, 20}, second{40, 10, 50, 12};
        InvalidateRect(window, &first, erase);
        InvalidateRect(window, &second, FALSE); // does not take the erase back
        records.clear();
        const HDC dc = BeginPaint(window, &paint);
        EXPECT_EQ(Recorded<1>() == std::vector<UINT>{WM_ERASEBKGND}, erase) << className;
        EXPECT_EQ(paint.fErase, fErase) << className;
        RECT box;
        GetClipBox(dc, &box);
        EXPECT_EQ(Corners(paint.rcPaint), (std::vector<LONG>{10, 5, 50, 20}));
        EXPECT_EQ(Corners(box), (std::vector<LONG>{10, 5, 50, 20}));
        EndPaint(window, &paint);
        EXPECT_EQ(64 * 48 - Lit(portable::CaptureClientArea(window)).size(), blackPixels);
        MSG msg;
        EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
        MoveWindow(window, 0, 0, 70, 40000, TRUE);     // only CS_HREDRAW repaints it all
        EXPECT_EQ(lastSize, LPARAM{40000} << 16 | 70); // the whole 16 bits of each
        EXPECT_EQ(PeekMessageA(&msg, window, WM_PAINT, WM_PAINT, PM_NOREMOVE), className[0] == 'R');
        DestroyWindow(window);
    }
}
