#include "platform/binding.h"
#include "platform/portable/headless_display.h"
#include "platform/portable/tests/test_canvas.h"

#include <functional>
#include <png.h>
#include <string>
#include <vector>

namespace {

struct Record {
    HWND window;
    UINT message;
    WPARAM wParam;
    bool operator==(const Record&) const = default;
};
std::vector<Record> records;
std::function<void(HWND, UINT)> duringMessage; // lets a test act inside a handler

LRESULT CALLBACK Recorder(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    records.push_back({window, message, wParam});
    if (duringMessage) {
        duringMessage(window, message);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

std::vector<UINT> Messages(HWND window = nullptr) {
    std::vector<UINT> messages;
    for (const Record& record : records) {
        if (window == nullptr || record.window == window) {
            messages.push_back(record.message);
        }
    }
    return messages;
}

class Windows : public PortableTest {
  protected:
    void SetUp() override {
        PortableTest::SetUp();
        records.clear();
        duringMessage = nullptr;
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = Recorder;
        windowClass.lpszClassName = "Recorder";
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        ASSERT_NE(RegisterClassA(&windowClass), 0);
    }
    void TearDown() override {
        duringMessage = nullptr;
        portable::ResetPlatform();
        PortableTest::TearDown();
    }
    static HWND Popup(const char* title = "Popup") {
        return CreateWindowExA(0, "Recorder", title, WS_POPUP | WS_VISIBLE, 0, 0, 64, 48,
                               nullptr, nullptr, nullptr, nullptr);
    }
    static HWND Child(HWND parent) {
        return CreateWindowExA(0, "Recorder", "Child", WS_CHILD | WS_VISIBLE, 4, 4, 16, 8,
                               parent, nullptr, nullptr, nullptr);
    }
    // Retrieves and dispatches what is pending, up to (not including) the first paint.
    static std::vector<UINT> DrainUntilPaint() {
        std::vector<UINT> seen;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) && msg.message != WM_PAINT) {
            seen.push_back(msg.message);
            DispatchMessageA(&msg);
        }
        return seen;
    }
};

} // namespace

TEST_F(Windows, CreationAndDestructionComeInWindowsOrder) {
    const HWND popup = Popup();
    EXPECT_EQ(Messages(popup), (std::vector<UINT>{WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE,
                                                  WM_MOVE, WM_SHOWWINDOW, WM_WINDOWPOSCHANGING,
                                                  WM_ACTIVATEAPP, WM_ACTIVATE, WM_SETFOCUS,
                                                  WM_WINDOWPOSCHANGED}));
    const HWND child = Child(popup);
    EXPECT_EQ(Messages(child), (std::vector<UINT>{WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE,
                                                  WM_MOVE, WM_SHOWWINDOW}));
    records.clear();
    EXPECT_TRUE(DestroyWindow(popup));
    EXPECT_EQ(records, (std::vector<Record>{{popup, WM_DESTROY, 0}, {child, WM_DESTROY, 0},
                                            {child, WM_NCDESTROY, 0}, {popup, WM_NCDESTROY, 0}}));
    EXPECT_FALSE(IsWindow(popup));
    EXPECT_FALSE(IsWindow(child));
    EXPECT_EQ(SendMessageA(popup, WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(DestroyWindow(popup));
}

TEST_F(Windows, CreateResultMinusOneDestroysTheWindow) {
    duringMessage = [](HWND, UINT) {};
    WNDCLASSA refusing{};
    refusing.lpszClassName = "Refusing";
    refusing.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        records.push_back({window, message, wParam});
        return message == WM_CREATE ? LRESULT{-1} : DefWindowProcA(window, message, wParam, lParam);
    };
    RegisterClassA(&refusing);
    EXPECT_EQ(CreateWindowExA(0, "Refusing", "", WS_POPUP | WS_VISIBLE, 0, 0, 8, 8, nullptr,
                              nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(Messages(), (std::vector<UINT>{WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_DESTROY,
                                             WM_NCDESTROY}));
    EXPECT_EQ(portable::LiveWindowCount(), 0u);
}

TEST_F(Windows, PostedThenQuitThenInputThenPaint) {
    const HWND popup = Popup();
    DrainUntilPaint();
    portable::MovePointer({10, 10});
    PostMessageA(popup, WM_APP, 1, 0);
    PostQuitMessage(7);
    PostMessageA(popup, WM_APP, 2, 0);
    MSG msg;
    std::vector<std::pair<UINT, WPARAM>> order;
    while (GetMessageA(&msg, nullptr, 0, 0)) {
        order.push_back({msg.message, msg.wParam});
        DispatchMessageA(&msg);
    }
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_EQ(order, (std::vector<std::pair<UINT, WPARAM>>{{WM_APP, 1}, {WM_APP, 2}}));
    // The quit message went first of what remained; then input, with its cursor question first.
    records.clear();
    EXPECT_EQ(DrainUntilPaint(), (std::vector<UINT>{WM_MOUSEMOVE}));
    EXPECT_EQ(Messages(), (std::vector<UINT>{WM_SETCURSOR, WM_MOUSEMOVE}));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_PAINT);
}

TEST_F(Windows, PaintCycleErasesOnceThenValidatesParentsFirst) {
    const HWND popup = Popup();
    const HWND child = Child(popup);
    MSG msg;
    std::vector<HWND> painted;
    records.clear();
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ASSERT_EQ(msg.message, WM_PAINT);
        painted.push_back(msg.hwnd);
        DispatchMessageA(&msg); // the default procedure paints and validates
    }
    EXPECT_EQ(painted, (std::vector<HWND>{popup, child}));
    EXPECT_EQ(Messages(popup), (std::vector<UINT>{WM_PAINT, WM_ERASEBKGND}));
    InvalidateRect(popup, nullptr, FALSE);
    PAINTSTRUCT paint;
    records.clear();
    BeginPaint(popup, &paint);
    EXPECT_TRUE(Messages().empty()); // no erase was asked for
    EXPECT_FALSE(paint.fErase);
    EXPECT_EQ(paint.rcPaint.right, 64);
    EndPaint(popup, &paint);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(Windows, SentMessagesRunAtOnceInsideTheSender) {
    const HWND popup = Popup();
    records.clear();
    duringMessage = [](HWND window, UINT message) {
        if (message == WM_APP) {
            SendMessageA(window, WM_APP + 1, 0, 0);
        }
    };
    SendMessageA(popup, WM_APP, 0, 0);
    records.push_back({popup, WM_NULL, 0});
    EXPECT_EQ(Messages(), (std::vector<UINT>{WM_APP, WM_APP + 1, WM_NULL}));
}

TEST_F(Windows, PeekWithARangeTakesOnlyThatRange) {
    const HWND popup = Popup();
    DrainUntilPaint();
    PostMessageA(popup, WM_APP, 0, 0);
    PostMessageA(popup, WM_TIMER, 1, 0);
    PostMessageA(popup, WM_TIMER, 2, 0);
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, popup, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD));
    EXPECT_EQ(msg.wParam, 1u);
    EXPECT_TRUE(PeekMessageA(&msg, popup, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD));
    EXPECT_FALSE(PeekMessageA(&msg, popup, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD));
    EXPECT_EQ(DrainUntilPaint(), (std::vector<UINT>{WM_APP}));
}

TEST_F(Windows, ProcedureReplacementAndBindingReachTheObject) {
    const HWND popup = Popup();
    struct Target {
        std::vector<std::pair<UINT, WPARAM>> seen;
    } target;
    ProcedureBinding binding;
    ASSERT_TRUE(binding.Bind(
        [](void* object, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
            static_cast<Target*>(object)->seen.push_back({message, wParam});
            return lParam + 1;
        },
        &target));
    const auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongA(popup, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(binding.Procedure())));
    EXPECT_EQ(previous, &Recorder);
    EXPECT_EQ(SendMessageA(popup, WM_APP, 5, 41), 42);
    EXPECT_EQ(target.seen, (std::vector<std::pair<UINT, WPARAM>>{{WM_APP, 5}}));
    records.clear();
    CallWindowProcA(previous, popup, WM_APP, 0, 0);
    EXPECT_EQ(Messages(), (std::vector<UINT>{WM_APP}));
    SetWindowLongA(popup, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    EXPECT_EQ(GetWindowLongA(popup, GWL_WNDPROC), reinterpret_cast<LONG_PTR>(&Recorder));
}

TEST_F(Windows, InputReachesTheWindowUnderThePointerOrInFront) {
    const HWND popup = Popup();
    const HWND child = Child(popup);
    DrainUntilPaint();
    records.clear();
    portable::MovePointer({6, 6}); // inside the child at (4, 4)
    portable::PressInput(WM_LBUTTONDOWN, 1);
    portable::PressInput(WM_KEYDOWN, 'A');
    portable::DeactivateApplication();
    DrainUntilPaint();
    EXPECT_EQ(records, (std::vector<Record>{{popup, WM_ACTIVATEAPP, 0},
                                            {child, WM_SETCURSOR, reinterpret_cast<WPARAM>(child)},
                                            {child, WM_MOUSEMOVE, 0},
                                            {child, WM_SETCURSOR, reinterpret_cast<WPARAM>(child)},
                                            {child, WM_LBUTTONDOWN, 1},
                                            {popup, WM_KEYDOWN, 'A'}}));
    POINT cursor;
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, 6);
}

TEST_F(Windows, MetricsComeFromTheDisplay) {
    portable::HeadlessDisplay& display = portable::UseHeadlessDisplay(800, 600);
    display.SetVirtualScreen({-100, 0, 1500, 600});
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
    EXPECT_EQ(GetSystemMetrics(SM_XVIRTUALSCREEN), -100);
    EXPECT_EQ(GetSystemMetrics(SM_CXVIRTUALSCREEN), 1600);
    const HDC screen = GetDC(nullptr);
    RECT box;
    GetClipBox(screen, &box);
    EXPECT_EQ(box.right, 800);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(FindWindowA("recorder", "Popup"), nullptr);
    const HWND popup = Popup();
    EXPECT_EQ(FindWindowA("recorder", "Popup"), popup);
    EXPECT_EQ(RegisterWindowMessageA("QueryCancelAutoPlay"),
              RegisterWindowMessageA("querycancelautoplay"));
}

TEST_F(Windows, ChildrenDrawOnTheirTopLevelSurfaceAndExportAsPng) {
    const HWND popup = Popup();
    const HWND child = Child(popup); // at (4, 4), 16 × 8
    const HDC dc = GetDC(child);
    const HBRUSH brush = CreateSolidBrush(RGB(255, 128, 1));
    const RECT beyond{-10, -10, 100, 100}; // clipped to the child's client area
    FillRect(dc, &beyond, brush);
    DeleteObject(brush);
    ReleaseDC(child, dc);
    const portable::Surface shown = portable::CaptureClientArea(popup);
    ASSERT_EQ(shown.width, 64);
    EXPECT_EQ(shown.Row(4)[4], 0xFF8001u);
    EXPECT_EQ(shown.Row(11)[19], 0xFF8001u);
    EXPECT_NE(shown.Row(12)[19], 0xFF8001u);
    EXPECT_NE(shown.Row(11)[20], 0xFF8001u);

    const std::string path = ::testing::TempDir() + "epiphase-window.png";
    ASSERT_TRUE(portable::WritePng(shown, path));
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    EXPECT_EQ(image.width, 64u);
    EXPECT_EQ(image.height, 48u);
    const std::size_t at = (4 * 64 + 4) * 3;
    EXPECT_EQ(rgb[at], 255);
    EXPECT_EQ(rgb[at + 1], 128);
    EXPECT_EQ(rgb[at + 2], 1);
    EXPECT_FALSE(portable::WritePng(shown, "/nonexistent-dir/x.png"));
}
