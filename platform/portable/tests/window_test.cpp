#include "platform/portable/headless_display.h"
#include "platform/portable/tests/test_canvas.h"

#include <functional>
#include <png.h>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Record = std::tuple<HWND, UINT, WPARAM>;
std::vector<Record> records;
std::function<void(UINT, LPARAM)> duringMessage; // lets a test act inside a handler
LRESULT createAnswer = 0;

LRESULT CALLBACK Recorder(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    records.push_back({window, message, wParam});
    if (duringMessage) {
        duringMessage(message, lParam);
    }
    return message == WM_CREATE ? createAnswer : DefWindowProcA(window, message, wParam, lParam);
}

std::vector<UINT> Messages(HWND window = nullptr) {
    std::vector<UINT> messages;
    for (const auto& [to, message, wParam] : records) {
        if (window == nullptr || to == window) {
            messages.push_back(message);
        }
    }
    return messages;
}

std::vector<LONG> Corners(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

class Windows : public PortableTest {
  protected:
    void SetUp() override {
        PortableTest::SetUp();
        records.clear();
        duringMessage = nullptr;
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
    void TearDown() override {
        duringMessage = nullptr;
        portable::ResetPlatform();
        PortableTest::TearDown();
    }
    static HWND Popup(const char* className = "Recorder", DWORD visible = WS_VISIBLE) {
        return CreateWindowExA(0, className, "Popup", WS_POPUP | visible, 0, 0, 64, 48, nullptr,
                               nullptr, nullptr, nullptr);
    }
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
    static void Fill(HWND window, COLORREF color) {
        const HDC dc = GetDC(window);
        const HBRUSH brush = CreateSolidBrush(color);
        const RECT all{-1000, -1000, 1000, 1000};
        FillRect(dc, &all, brush);
        DeleteObject(brush);
        ReleaseDC(window, dc);
    }
};

} // namespace

TEST_F(Windows, CreationAndDestructionComeInWindowsOrder) {
    const HWND popup = Popup();
    EXPECT_EQ(Messages(popup),
              (std::vector<UINT>{WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE,
                                 WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_ACTIVATEAPP, WM_ACTIVATE,
                                 WM_SETFOCUS, WM_WINDOWPOSCHANGED}));
    const HWND child = Child(popup);
    records.clear();
    EXPECT_TRUE(DestroyWindow(popup));
    EXPECT_EQ(records, (std::vector<Record>{{popup, WM_DESTROY, 0},
                                            {child, WM_DESTROY, 0},
                                            {child, WM_NCDESTROY, 0},
                                            {popup, WM_NCDESTROY, 0}}));
    EXPECT_FALSE(IsWindow(popup) || IsWindow(child) || DestroyWindow(popup));

    // A creation answered with -1 is undone, and no window is handed out.
    records.clear();
    createAnswer = -1;
    EXPECT_EQ(Popup(), nullptr);
    EXPECT_EQ(Messages(),
              (std::vector<UINT>{WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}));
    EXPECT_EQ(portable::LiveWindowCount(), 0u);
}

TEST_F(Windows, PostedThenQuitThenInputThenPaintParentsFirstAndOnlyWhenShowing) {
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
    EXPECT_TRUE(PeekMessageA(&msg, popup, WM_TIMER, WM_TIMER, PM_REMOVE)); // only its range
    EXPECT_EQ(msg.wParam, 2u);
    EXPECT_TRUE(GetMessageA(&msg, nullptr, 0, 0) && msg.message == WM_APP);
    EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.wParam, 7u);
    // The quit message went first of what remained; then input, then the paints.
    EXPECT_EQ(DrainUntilPaint(), (std::vector<UINT>{WM_MOUSEMOVE}));
    std::vector<HWND> painted;
    while (painted.size() < 5 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ASSERT_EQ(msg.message, WM_PAINT);
        painted.push_back(msg.hwnd);
        DispatchMessageA(&msg); // the default procedure paints and validates
    }
    EXPECT_EQ(painted, (std::vector<HWND>{popup, child}));
}

TEST_F(Windows, BeginPaintErasesWhenAskedClipsToTheUpdateAreaAndValidatesIt) {
    struct Case {
        const char* className;
        BOOL erase, fErase;      // asked by the invalidation; left to the painter
        std::size_t blackPixels; // the class brush filled the clip box
    };
    for (const Case& c : {Case{"Recorder", TRUE, FALSE, 40 * 15}, Case{"Bare", TRUE, TRUE, 0},
                          Case{"Recorder", FALSE, FALSE, 0}}) {
        const HWND window = Popup(c.className);
        PAINTSTRUCT paint;
        EndPaint(window, (BeginPaint(window, &paint), &paint)); // the paint showing asked for
        Fill(window, RGB(255, 255, 255));
        const RECT first{10, 5, 30, 20}, second{40, 10, 50, 12};
        InvalidateRect(window, &first, c.erase);
        InvalidateRect(window, &second, FALSE); // does not take the erase back
        records.clear();
        const HDC dc = BeginPaint(window, &paint);
        EXPECT_EQ(Messages() == std::vector<UINT>{WM_ERASEBKGND}, c.erase) << c.className;
        EXPECT_EQ(paint.fErase, c.fErase) << c.className;
        RECT box;
        GetClipBox(dc, &box);
        EXPECT_EQ(Corners(paint.rcPaint), (std::vector<LONG>{10, 5, 50, 20}));
        EXPECT_EQ(Corners(box), (std::vector<LONG>{10, 5, 50, 20}));
        EndPaint(window, &paint);
        const portable::Surface shown = portable::CaptureClientArea(window);
        EXPECT_EQ(64 * 48 - Lit(shown).size(), c.blackPixels) << c.className;
        MSG msg;
        EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
        DestroyWindow(window);
    }
}

TEST_F(Windows, ResizingRepaintsAllOfARedrawClassAndNamesIgnoreCase) {
    for (const char* className : {"Recorder", "Bare"}) { // with and without CS_HREDRAW
        const HWND window = Popup(className);
        PAINTSTRUCT paint;
        EndPaint(window, (BeginPaint(window, &paint), &paint));
        LPARAM size = 0;
        duringMessage = [&size](UINT message, LPARAM lParam) {
            size = message == WM_SIZE ? lParam : size;
        };
        MoveWindow(window, 0, 0, 70, 40000, TRUE);
        EXPECT_EQ(size, LPARAM{40000} << 16 | 70); // the whole 16 bits of each
        duringMessage = nullptr;
        MSG msg;
        EXPECT_EQ(PeekMessageA(&msg, window, WM_PAINT, WM_PAINT, PM_NOREMOVE), className[0] == 'R');
        DestroyWindow(window);
    }
    EXPECT_EQ(FindWindowA("recorder", "Popup"), Popup());
    EXPECT_EQ(FindWindowA("Recorder", "popup"), nullptr); // titles must match exactly
    EXPECT_EQ(RegisterWindowMessageA("QueryCancelAutoPlay"),
              RegisterWindowMessageA("querycancelautoplay"));
    EXPECT_NE(RegisterWindowMessageA("QueryCancelAutoPlay"), RegisterWindowMessageA("Other"));
}

TEST_F(Windows, InputReachesTheWindowUnderThePointerOrInFront) {
    const HWND popup = Popup();
    const HWND child = Child(popup);
    DrainUntilPaint();
    records.clear();
    portable::MovePointer({6, 6}); // inside the child
    portable::PressInput(WM_LBUTTONDOWN, 1);
    portable::PressInput(WM_KEYDOWN, 'A');
    portable::DeactivateApplication();
    DrainUntilPaint();
    const auto asked = reinterpret_cast<WPARAM>(child);
    EXPECT_EQ(records, (std::vector<Record>{{popup, WM_ACTIVATEAPP, 0},
                                            {child, WM_SETCURSOR, asked},
                                            {child, WM_MOUSEMOVE, 0},
                                            {child, WM_SETCURSOR, asked},
                                            {child, WM_LBUTTONDOWN, 1},
                                            {popup, WM_KEYDOWN, 'A'}}));
}

TEST_F(Windows, ChildrenDrawClippedOnTheirTopLevelSurfaceAndExportAsPng) {
    Fill(Child(Popup()), RGB(255, 128, 1));
    const portable::Surface shown = portable::CaptureClientArea(FindWindowA("Recorder", "Popup"));
    Pixels child;
    for (int i = 0; i < 16 * 8; ++i) {
        child.insert({4 + i % 16, 4 + i / 16});
    }
    EXPECT_EQ(Lit(shown), child);
    EXPECT_EQ(shown.Row(4)[4], 0xFF8001u);

    const std::string path = ::testing::TempDir() + "epiphase-window.png";
    ASSERT_TRUE(portable::WritePng(shown, path));
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    const std::size_t at = (4 * 64 + 4) * 3;
    EXPECT_EQ(std::vector<png_byte>(rgb.begin() + at, rgb.begin() + at + 3),
              (std::vector<png_byte>{255, 128, 1}));
}
