// The procedure binding through the platform's real window machinery: the stand-in natively,
// USER32 under Wine in the Windows build.

#include "platform/binding.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

// Each object records the messages it was given; WM_APP answers wParam + lParam.
LRESULT CALLBACK Entry(void* object, UINT message, WPARAM wParam, LPARAM lParam) {
    static_cast<std::vector<UINT>*>(object)->push_back(message);
    return message == WM_APP ? static_cast<LRESULT>(wParam + lParam) : 0;
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
    const HWND window = CreateWindowExA(0, "BindingTest", "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                        nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    ProcedureBinding binding;
    std::vector<UINT> first, second;
    ASSERT_TRUE(binding.Bind(Entry, &first));
    EXPECT_EQ(SetWindowLongA(window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(binding.Procedure())),
              reinterpret_cast<LONG_PTR>(&Plain));
    EXPECT_EQ(SendMessageA(window, WM_APP, 40, 2), 42);
    EXPECT_EQ(first, std::vector<UINT>{WM_APP});
#ifdef _WIN32
    // The code was written, then made execute-read: never writable and executable at once.
    MEMORY_BASIC_INFORMATION page{};
    ASSERT_NE(VirtualQuery(reinterpret_cast<void*>(binding.Procedure()), &page, sizeof page), 0u);
    EXPECT_EQ(page.Protect, static_cast<DWORD>(PAGE_EXECUTE_READ));
#endif
    // Bound anew to another object, the same binding serves it.
    ASSERT_TRUE(binding.Bind(Entry, &second));
    SetWindowLongA(window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(binding.Procedure()));
    EXPECT_EQ(SendMessageA(window, WM_APP, 1, 1), 2);
    EXPECT_EQ(second, std::vector<UINT>{WM_APP});
    EXPECT_EQ(first.size(), 1u);
    SetWindowLongA(window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&Plain));
    EXPECT_TRUE(DestroyWindow(window));
}
