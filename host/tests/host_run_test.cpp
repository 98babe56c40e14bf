// Whole runs of the framework on the stand-in: a command tail, the saver's loop, input, exit code.

#include "animation/animation_window.h"
#include "host/host_state.h"
#include "host/saver_host.h"
#include "model/clock.h"
#include "platform/api.h"
#include "platform/displays/headless/display.h"
#include "platform/portable/controls.h"
#include "platform/portable/window_manager.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

namespace {

struct Services { // what the fake system services were asked, and what they answer
    std::vector<BOOL> answers{TRUE}; // one per password dialog, in order
    int dialogs = 0;
    std::function<void(HWND)> duringDialog;
    std::vector<std::pair<std::string, HWND>> changeCalls; // provider, parent
    HIMC attachedBefore = nullptr;                         // the input context the window had
    std::vector<std::pair<HWND, HIMC>> associations;
    std::vector<std::tuple<UINT, WPARAM, LPARAM>> parentMessages; // help and menus
};
Services services;
const std::string systemDir = std::string(portable::SystemDirectory) + "\\";

BOOL WINAPI FakeVerifyScreenSavePwd(HWND window) {
    const BOOL answer = services.answers.at(static_cast<std::size_t>(services.dialogs++));
    if (services.duringDialog) { // once
        std::exchange(services.duringDialog, nullptr)(window);
    }
    return answer;
}

DWORD WINAPI FakePwdChangePasswordA(LPCSTR provider, HWND parent, DWORD, LPVOID) {
    services.changeCalls.push_back({provider, parent});
    return 0;
}
HIMC WINAPI FakeImmAssociateContext(HWND window, HIMC context) {
    services.associations.push_back({window, context});
    return context == nullptr ? services.attachedBefore : nullptr;
}
LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HELP || message == WM_CONTEXTMENU) {
        services.parentMessages.push_back({message, wParam, lParam});
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
template <class Entry> FARPROC AsFarProc(Entry entry) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(entry));
}

// A paint reaching the framework, being shown, the pointer's shape: each hides it in full screen.
void ExpectCursorRules(HWND saver, bool fullScreen) {
    for (const UINT message : {WM_PAINT, WM_SHOWWINDOW, WM_SETCURSOR}) {
        SetCursor(portable::ArrowCursor);
        const WPARAM wParam = message == WM_SHOWWINDOW ? TRUE : reinterpret_cast<WPARAM>(saver);
        EXPECT_EQ(message == WM_PAINT ? SaverWindowProc(saver, message, wParam, 0)
                                      : SendMessageA(saver, message, wParam, 0),
                  LRESULT{message == WM_SETCURSOR && fullScreen});
        EXPECT_EQ(portable::CursorHidden(), fullScreen) << std::hex << message;
    }
}

class HostRun : public ::testing::Test {
  protected:
    void SetUp() override { Fresh(); } // the next test's Fresh() is the clean-up too
    // A new process, as far as the platform and the framework can tell.
    void Fresh() {
        portable::ResetPlatform();
        display = &portable::UseHeadlessDisplay(800, 600);
        display->MoveCursor({10, 10});
        Host() = HostState{};
        services = Services{};
        UseSteppedClock(16);
    }
    static std::string Number(HWND w) { return std::to_string(reinterpret_cast<std::size_t>(w)); }
    static std::vector<LONG> Corners(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
    // Runs a command tail; `script` sees each presented frame (1, 2, ...) of the saver.
    int Run(const std::string& tail, std::function<void(int, HWND)> script = {}) {
        int presented = 0;
        display->OnPresent([&](HWND) {
            const HWND saver = Host().saverWindow;
            const bool live = saver != nullptr && IsWindow(saver);
            if (live && ++presented > 1000) { // a saver that never closes must not hang the suite
                ADD_FAILURE() << "the saver did not close";
                DestroyWindow(saver);
            } else if (live && script) {
                script(presented, saver);
            }
        });
        const int result = HostMain(GetModuleHandleA(nullptr), tail.c_str());
        frames = presented;
        display->OnPresent(nullptr);
        return result;
    }
    int RunFrom(const std::string& tail, std::function<void(HWND)> atStart) { // on frame 1
        return Run(tail, [&](int frame, HWND saver) { frame == 1 ? atStart(saver) : void(); });
    }
    // Windows 9x with the password setting (none when empty) and the verifier in `module`.
    void RequirePassword(std::vector<BYTE> setting = {1, 0, 0, 0},
                         const std::string& module = systemDir + "PASSWORD.CPL",
                         bool hasEntry = true) {
        portable::SetPlatformId(VER_PLATFORM_WIN32_WINDOWS);
        if (!setting.empty()) {
            portable::SetRegistryValue("Control Panel\\Desktop", "ScreenSaveUsePassword", setting);
        }
        const char* entry = hasEntry ? "VerifyScreenSavePwd" : "SomethingElse";
        portable::AddModule(module, {{entry, AsFarProc(FakeVerifyScreenSavePwd)}}, false);
    }
    // A top-level window of another program (by default the display settings).
    static HWND Window(int width, int height, const char* className = "DisplaySettings",
                       const char* title = "Display") {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = ParentProc;
        windowClass.lpszClassName = className;
        RegisterClassA(&windowClass);
        return CreateWindowExA(0, className, title, WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                               nullptr, nullptr, nullptr, nullptr);
    }
    portable::HeadlessDisplay* display = nullptr;
    int frames = 0;
};

} // namespace

TEST_F(HostRun, RejectedModesFailAndOwnersFallBackToTheForegroundWindow) {
    for (const char* tail : {"/p 1234", "/p", "/p:1234", "/x", "/\ts", "/c", "", "/a 1234"}) {
        EXPECT_EQ(Run(tail), -1) << "'" << tail << "'";
        EXPECT_EQ(portable::LiveWindowCount(), 0u) << "'" << tail << "'";
    }
    Window(8, 8, "WindowsScreenSaverClass", "Preview"); // not taken for a running saver, yet the
    const HWND newest = Window(20, 20);                 // class exists: no window follows
    RequirePassword(); // on Windows 9x the verifier loaded for the run is released all the same
    EXPECT_TRUE(Run("/s") == -1 && GetForegroundWindow() == newest);
    EXPECT_FALSE(portable::SaverRunningState() ||
                 portable::ModuleLoadCount(systemDir + "PASSWORD.CPL"));
    EXPECT_EQ(Run("/a"), 0); // without MPR.DLL nothing happens, and that is no failure
    portable::AddModule(systemDir + "MPR.DLL",
                        {{"PwdChangePasswordA", AsFarProc(FakePwdChangePasswordA)}}, false);
    portable::AddModule("MPR.DLL", {}, false); // planted beside the program: never used
    const HWND owner = Window(100, 100), front = Window(50, 50);
    const std::pair<std::string, HWND> configure[] = {
        {"/c:" + Number(owner), owner}, {"/c:99999", front}, {"/c", front}, {"", nullptr}};
    for (const auto& [tail, expected] : configure) {
        EXPECT_EQ(Run(tail), -1) << tail; // no dialog template: the dialog fails at once
        EXPECT_EQ(portable::LastDialogRequest().owner, expected) << tail;
    }
    EXPECT_TRUE(Run("/a " + Number(owner)) == 0 && Run("/A 99999") == 0);
    EXPECT_EQ(services.changeCalls,
              decltype(services.changeCalls)({{"SCRSAVE", owner}, {"SCRSAVE", front}}));
    EXPECT_EQ(portable::ModuleLoadCount(systemDir + "MPR.DLL"), 0);
    EXPECT_EQ(portable::LastDialogRequest().templateNumber, 2003u); // the configuration dialog
}

TEST_F(HostRun, PreviewLivesInItsParentAndForwardsHelp) {
    const HWND parent = Window(152, 112);
    const int result = Run("/p " + Number(parent), [&](int frame, HWND saver) {
        if (frame == 1) {
            const portable::Window& w = *portable::FindWindowObject(saver);
            EXPECT_EQ(std::tuple(w.style, w.exStyle, w.title, Corners(w.rect), GetParent(saver)),
                      std::tuple(0x52000000u, 0u, "Preview", Corners({0, 0, 152, 112}), parent));
            ExpectCursorRules(saver, false);
            EXPECT_EQ(SendMessageA(saver, WM_HELP, 0, 77), 1);
            EXPECT_EQ(SendMessageA(saver, WM_CONTEXTMENU, 0, 78), 1);
        } else if (frame == 5) {
            DestroyWindow(parent); // the display settings close
        }
    });
    EXPECT_EQ(std::pair(result, frames), std::pair(0, 5));
    const auto p = reinterpret_cast<WPARAM>(parent);
    EXPECT_EQ(services.parentMessages,
              (decltype(services.parentMessages){{WM_HELP, p, 77}, {WM_CONTEXTMENU, p, 78}}));
}

// Over the virtual screen, else the screen's clip box; input context only via a loaded IMM32.DLL.
TEST_F(HostRun, FullScreenCoversTheScreenHidesTheCursorAndClosesOnTravelBeyondFourPixels) {
    const HIMC saved = reinterpret_cast<HIMC>(std::uintptr_t{0x1234});
    const RECT virtualScreen{-100, -20, 700, 580}, screen{0, 0, 800, 600};
    // Virtual screen, the saver's place; IMM32.DLL loaded, with the entry; context before; calls.
    const std::tuple<RECT, RECT, bool, bool, HIMC, std::size_t> cases[] = {
        {virtualScreen, virtualScreen, false, true, saved, 0},
        {{-100, -20, 700, -20}, screen, true, false, saved, 0},
        {{-100, -20, -100, 580}, screen, true, true, nullptr, 1},
        {virtualScreen, virtualScreen, true, true, saved, 2}};
    for (const auto& [virtualRect, expected, loaded, hasEntry, before, calls] : cases) {
        Fresh();
        display->SetVirtualScreen(virtualRect);
        portable::DeactivateApplication(); // another program in front: the saver must take it
        services.attachedBefore = before;
        const char* entry = hasEntry ? "ImmAssociateContext" : "SomethingElse";
        portable::AddModule(systemDir + "IMM32.DLL", {{entry, AsFarProc(FakeImmAssociateContext)}},
                            loaded);
        HWND saver = nullptr;
        const int result = Run("/s", [&](int frame, HWND window) {
            if (frame == 1) {
                const portable::Window& w = *portable::FindWindowObject(saver = window);
                EXPECT_EQ(SendMessageA(saver, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x")), 0);
                // Pop-up, visible, clipping; topmost; own DC, double clicks, redraw; black; no
                // pointer.
                EXPECT_EQ(
                    std::tuple(w.className, w.title, w.style, w.exStyle, w.classStyle, w.classBrush,
                               w.classCursor, Corners(w.rect), GetForegroundWindow()),
                    std::tuple("WindowsScreenSaverClass", "Screen Saver", 0x96000000u, 8u, 0x2Bu,
                               GetStockObject(BLACK_BRUSH), nullptr, Corners(expected), saver));
                ExpectCursorRules(saver, true);
                portable::MovePointer({12, 11}); // 3 pixels: creeping
            } else if (frame == 3) {
                portable::MovePointer({13, 12}); // 5 in all from where it started
            }
        });
        EXPECT_EQ(std::tuple(result, frames, portable::LiveWindowCount()), std::tuple(0, 3, 0u));
        const std::vector<std::pair<HWND, HIMC>> all{{saver, nullptr}, {saver, saved}};
        EXPECT_EQ(services.associations, decltype(all)(all.begin(), all.begin() + calls));
    }
}

// The gate asks at once, refuses while up, holds off from the dialog's end, re-measures the mouse.
TEST_F(HostRun, ASecondStartEndsAtOnceAndThePasswordGateHoldsOff) {
    RequirePassword();
    services.answers = {FALSE, TRUE};
    std::vector<int> dialogsAt;
    Run("/s", [&](int frame, HWND saver) {
        dialogsAt.push_back(services.dialogs);
        if (frame == 1) {
            EXPECT_EQ(HostMain(GetModuleHandleA(nullptr), "/s"), 0); // a second start ends
            EXPECT_EQ(portable::ModuleLoadCount(systemDir + "PASSWORD.CPL"), 1); // not again
            portable::SetTickCount(50); // the very start: no dialog has ended yet
            for (WPARAM timer : {1, 2, 3}) {
                PostMessageA(saver, WM_TIMER, timer, 0);
            }
            services.duringDialog = [this](HWND window) {
                MSG msg; // two pending timer messages were dropped
                EXPECT_TRUE(PeekMessageA(&msg, window, WM_TIMER, WM_TIMER, PM_NOREMOVE) &&
                            msg.wParam == 3);
                EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0); // no second dialog
                SendMessageA(window, WM_KEYDOWN, 'A', 0);           // the rules rest
                EXPECT_FALSE(PeekMessageA(&msg, window, WM_CLOSE, WM_CLOSE, PM_NOREMOVE));
                SetCursor(portable::ArrowCursor); // the dialog shows the pointer
                display->MoveCursor({50, 10});
                portable::SetTickCount(1000);
            };
            EXPECT_EQ(SendMessageA(saver, WM_CLOSE, 0, 0), 0); // refused
            EXPECT_TRUE(portable::CursorHidden());
        } else if (frame == 2) {
            portable::SetTickCount(1199); // within 200 ms of the dialog's end: no dialog
            portable::PressInput(WM_KEYDOWN, 'A');
        } else if (frame == 3) {
            portable::SetTickCount(1200);
            portable::MovePointer({53, 10}); // 3 pixels from where the pointer was at refusal
        } else {
            portable::MovePointer({55, 10}); // 5: asks again, and the password is right
        }
    });
    EXPECT_EQ(std::pair(dialogsAt, services.dialogs), (std::pair(std::vector<int>{0, 1, 1, 1}, 2)));
}

TEST_F(HostRun, OnlyWindows9xWithTheSettingAndTheSystemsModuleAsksForAPassword) {
    const DWORD nt = VER_PLATFORM_WIN32_NT, win9x = VER_PLATFORM_WIN32_WINDOWS;
    const std::string system = systemDir + "PASSWORD.CPL", planted = "PASSWORD.CPL";
    // Family, the setting (at most four bytes, short is small), the module, its entry, dialogs.
    const std::tuple<DWORD, std::vector<BYTE>, std::string, bool, int> cases[] = {
        {win9x, {}, system, true, 0},
        {win9x, {0}, system, true, 0},
        {win9x, {1, 0, 0, 0, 0}, system, true, 0},
        {win9x, {1}, planted, true, 0},
        {nt, {1, 0, 0, 0}, system, true, 0},
        {win9x, {1, 0, 0, 0}, system, false, 0},
        {win9x, {0, 0, 0, 1}, system, true, 1},
        {win9x, {1}, system, true, 1}};
    for (const auto& [platform, setting, module, hasEntry, dialogs] : cases) {
        Fresh();
        RequirePassword(setting, module, hasEntry);
        portable::SetPlatformId(platform);
        RunFrom("/s", [&](HWND) {
            EXPECT_EQ(portable::SaverRunningState(), dialogs == 1);
            EXPECT_EQ(portable::ModuleLoadCount(module), dialogs);
            portable::PressInput(WM_KEYDOWN, 'A');
        });
        // Running is off again, and the verifier released.
        EXPECT_EQ((std::tuple(services.dialogs, portable::SaverRunningState(),
                              portable::ModuleLoadCount(module))),
                  std::tuple(dialogs, false, 0));
    }
}

TEST_F(HostRun, AutoPlayAndPasswordRequestsAreAnsweredByFamilyPasswordAndMode) {
    // Windows 9x, a password, a preview: the AutoPlay answer, a close posted, the answer to 0x8000.
    const std::tuple<bool, bool, bool, std::vector<LRESULT>> cases[] = {
        {false, false, false, {0, 0, 0}},
        {true, false, false, {0, 1, 1}},
        {true, true, false, {1, 1, 0}},
        {true, false, true, {0, 1, 0}}};
    for (const auto& [win9x, password, preview, expected] : cases) {
        Fresh();
        RequirePassword(password ? std::vector<BYTE>{1, 0, 0, 0} : std::vector<BYTE>{});
        portable::SetPlatformId(win9x ? VER_PLATFORM_WIN32_WINDOWS : VER_PLATFORM_WIN32_NT);
        services.answers = {FALSE, TRUE};
        std::vector<LRESULT> answers;
        RunFrom(preview ? "/p " + Number(Window(40, 30)) : "/s", [&](HWND saver) {
            const LRESULT verify = SendMessageA(saver, 0x8000, 0, 0);
            SendMessageA(saver, WM_NULL, 0, 0); // "still answering?" is no AutoPlay query
            MSG msg;
            answers = {SendMessageA(saver, RegisterWindowMessageA("QueryCancelAutoPlay"), 0, 0),
                       PeekMessageA(&msg, saver, WM_CLOSE, WM_CLOSE, PM_NOREMOVE), verify};
            DestroyWindow(saver);
        });
        EXPECT_EQ(answers, expected) << win9x << password << preview;
    }
}
