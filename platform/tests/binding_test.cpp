// The procedure binding through the platform's real window machinery: the stand-in natively,
// USER32 under Wine in the Windows build.

#include "platform/binding.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

struct Target {
    std::vector<UINT> messages;
    WNDPROC previous = nullptr;
    HWND window = nullptr;
};

LRESULT CALLBACK Entry(void* object, UINT message, WPARAM wParam, LPARAM lParam) {
    Target& target = *static_cast<Target*>(object);
    target.messages.push_back(message);
    if (message == WM_APP) {
        return static_cast<LRESULT>(wParam + lParam);
    }
    return CallWindowProcA(target.previous, target.window, message, wParam, lParam);
}

LRESULT CALLBACK Plain(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

TEST(ProcedureBinding, MessagesReachTheBoundObjectWithTheirArguments) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = Plain;
    windowClass.lpszClassName = "BindingTest";
    windowClass.hInstance = GetModuleHandleA(nullptr);
    ASSERT_NE(RegisterClassA(&windowClass), 0);
    Target target;
    target.window = CreateWindowExA(0, "BindingTest", "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                    nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(target.window, nullptr);

    ProcedureBinding binding;
    ASSERT_TRUE(binding.Bind(Entry, &target));
    target.previous = reinterpret_cast<WNDPROC>(SetWindowLongA(
        target.window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(binding.Procedure())));
    EXPECT_EQ(target.previous, &Plain);
    EXPECT_EQ(SendMessageA(target.window, WM_APP, 40, 2), 42);
    EXPECT_EQ(target.messages, std::vector<UINT>{WM_APP});
#ifdef _WIN32
    // The code was written, then made execute-read: never writable and executable at once.
    MEMORY_BASIC_INFORMATION page{};
    ASSERT_NE(VirtualQuery(reinterpret_cast<void*>(binding.Procedure()), &page, sizeof page), 0u);
    EXPECT_EQ(page.Protect, static_cast<DWORD>(PAGE_EXECUTE_READ));
#endif
    // Bound anew to another object, the same binding serves it.
    Target other = target;
    other.messages.clear();
    ASSERT_TRUE(binding.Bind(Entry, &other));
    SetWindowLongA(target.window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(binding.Procedure()));
    EXPECT_EQ(SendMessageA(target.window, WM_APP, 1, 1), 2);
    EXPECT_EQ(other.messages, std::vector<UINT>{WM_APP});

    SetWindowLongA(target.window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(target.previous));
    EXPECT_TRUE(DestroyWindow(target.window));
}
