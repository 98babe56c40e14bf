// Whole runs of the framework on the stand-in: HostMain with a command tail, the saver window
// and its loop, input as a user gives it, and the exit code.

#include "animation/animation_window.h"
#include "host/host_state.h"
#include "host/saver_host.h"
#include "model/clock.h"
#include "platform/api.h"
#include "platform/portable/controls.h"
#include "platform/portable/headless_display.h"
#include "platform/portable/window_manager.h"

#include <array>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace {

// What the fake password services were asked, and what they answer.
struct PasswordServices {
    std::vector<BOOL> answers; // one per dialog, in order
    int dialogs = 0;
    std::function<void(HWND)> duringDialog;
    std::vector<std::string> changeCalls;
};
PasswordServices services;

BOOL WINAPI FakeVerifyScreenSavePwd(HWND window) {
    const BOOL answer = services.answers.at(static_cast<std::size_t>(services.dialogs++));
    if (services.duringDialog) {
        services.duringDialog(window);
    }
    return answer;
}

DWORD WINAPI FakePwdChangePasswordA(LPCSTR provider, HWND parent, DWORD, LPVOID) {
    services.changeCalls.push_back(std::string(provider) + " " +
                                   std::to_string(reinterpret_cast<std::uintptr_t>(parent)));
    return 0;
}

HIMC attachedBefore = nullptr; // what the fake input-method service says the window had
std::vector<std::pair<HWND, HIMC>> associations;
HIMC WINAPI FakeImmAssociateContext(HWND window, HIMC context) {
    associations.push_back({window, context});
    return context == nullptr ? attachedBefore : nullptr;
}

std::vector<std::tuple<UINT, WPARAM, LPARAM>> parentMessages;
LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HELP || message == WM_CONTEXTMENU) {
        parentMessages.push_back({message, wParam, lParam});
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

template <class Entry> FARPROC AsFarProc(Entry entry) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(entry));
}

std::string SystemModule(const char* name) {
    return std::string(portable::SystemDirectory) + "\\" + name;
}

// A module's entry table: one entry, or none.
std::map<std::string, FARPROC> Entries(bool present, const char* name, FARPROC entry) {
    return present ? std::map<std::string, FARPROC>{{name, entry}}
                   : std::map<std::string, FARPROC>{};
}

std::vector<LONG> Corners(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

std::string Number(HWND window) {
    return std::to_string(reinterpret_cast<std::uintptr_t>(window));
}

bool ClosePending(HWND saver) {
    MSG msg;
    return PeekMessageA(&msg, saver, WM_CLOSE, WM_CLOSE, PM_NOREMOVE) != FALSE;
}

// The pointer is shown, then each message that hides it in full screen arrives: a paint that
// reaches the framework's own procedure, being shown, and the question for the pointer's shape.
void ExpectCursorRules(HWND saver, bool fullScreen) {
    const auto check = [&](UINT message, WPARAM wParam, LRESULT expected) {
        SetCursor(portable::ArrowCursor);
        EXPECT_EQ(message == WM_PAINT ? SaverWindowProc(saver, message, 0, 0)
                                      : SendMessageA(saver, message, wParam, 0),
                  expected);
        EXPECT_EQ(portable::CursorHidden(), fullScreen) << std::hex << message;
    };
    check(WM_PAINT, 0, 0);
    check(WM_SHOWWINDOW, TRUE, 0);
    check(WM_SETCURSOR, reinterpret_cast<WPARAM>(saver), fullScreen ? 1 : 0);
}

class HostRun : public ::testing::Test {
  protected:
    void SetUp() override {
        Fresh();
        UseSteppedClock(16);
    }
    // A new process, as far as the platform and the framework can tell.
    void Fresh() {
        portable::ResetPlatform();
        display = &portable::UseHeadlessDisplay(800, 600);
        display->MoveCursor({10, 10});
        Host() = HostState{};
        services = PasswordServices{};
        associations.clear();
        parentMessages.clear();
    }
    void TearDown() override {
        portable::ResetPlatform();
        UseRealClock();
    }

    // Runs a command tail; `script` sees each presented frame (1, 2, ...) of the saver.
    int Run(const std::string& tail, std::function<void(int, HWND)> script = {}) {
        int presented = 0;
        display->OnPresent([&](HWND) {
            const HWND saver = Host().saverWindow;
            if (saver == nullptr || !IsWindow(saver)) {
                return;
            }
            if (++presented > 1000) { // a saver that never closes must not hang the suite
                ADD_FAILURE() << "the saver did not close";
                DestroyWindow(saver);
            } else if (script) {
                script(presented, saver);
            }
        });
        const int result = HostMain(GetModuleHandleA(nullptr), tail.c_str());
        frames = presented;
        display->OnPresent(nullptr);
        return result;
    }
    // Runs a command tail; `atStart` acts on the first frame.
    int RunFrom(const std::string& tail, std::function<void(HWND)> atStart) {
        return Run(tail, [&](int frame, HWND saver) {
            if (frame == 1) {
                atStart(saver);
            }
        });
    }

    // Windows 9x with the password setting (none when empty) and the verifier in `module`.
    void RequirePassword(std::vector<BYTE> setting = {1, 0, 0, 0},
                         const std::string& module = SystemModule("PASSWORD.CPL"),
                         bool hasEntry = true) {
        portable::SetPlatformId(VER_PLATFORM_WIN32_WINDOWS);
        if (!setting.empty()) {
            portable::SetRegistryValue("Control Panel\\Desktop", "ScreenSaveUsePassword", setting);
        }
        portable::AddModule(
            module, Entries(hasEntry, "VerifyScreenSavePwd", AsFarProc(FakeVerifyScreenSavePwd)),
            false);
    }

    HWND Parent(int width, int height) {
        WNDCLASSA parentClass{};
        parentClass.lpfnWndProc = ParentProc;
        parentClass.lpszClassName = "DisplaySettings";
        RegisterClassA(&parentClass);
        return CreateWindowExA(0, "DisplaySettings", "Display", WS_POPUP | WS_VISIBLE, 0, 0, width,
                               height, nullptr, nullptr, nullptr, nullptr);
    }

    portable::HeadlessDisplay* display = nullptr;
    int frames = 0;
};

} // namespace

TEST_F(HostRun, RejectedAndUnavailableModesExitWithMinusOneAndCreateNothing) {
    for (const char* tail : {"/p 1234", "/p", "/p:1234", "/x", "/\ts", "/c", "", "/a 1234"}) {
        EXPECT_EQ(Run(tail), -1) << "'" << tail << "'";
        EXPECT_EQ(portable::LiveWindowCount(), 0u) << "'" << tail << "'";
    }
}

TEST_F(HostRun, OwnersOfTheConfigurationAndOfThePasswordChangeFallBackToTheForegroundWindow) {
    portable::SetPlatformId(VER_PLATFORM_WIN32_WINDOWS);
    EXPECT_EQ(Run("/a"), 0); // without MPR.DLL nothing happens, and that is no failure
    portable::AddModule(SystemModule("MPR.DLL"),
                        {{"PwdChangePasswordA", AsFarProc(FakePwdChangePasswordA)}}, false);
    portable::AddModule("MPR.DLL", {}, false); // planted beside the program: never used
    const HWND owner = Parent(100, 100);
    const HWND front = Parent(50, 50);
    const std::pair<std::string, HWND> configure[] = {
        {"/c:" + Number(owner), owner}, {"/c:99999", front}, {"/c", front}, {"", nullptr}};
    for (const auto& [tail, expected] : configure) {
        EXPECT_EQ(Run(tail), -1) << tail; // no dialog template: the dialog fails at once
        EXPECT_EQ(portable::LastDialogRequest().owner, expected) << tail;
        EXPECT_EQ(portable::LastDialogRequest().templateNumber, 2003u);
    }
    EXPECT_EQ(Run("/a " + Number(owner)), 0);
    EXPECT_EQ(Run("/A 99999"), 0);
    EXPECT_EQ(services.changeCalls,
              (std::vector<std::string>{"SCRSAVE " + Number(owner), "SCRSAVE " + Number(front)}));
    EXPECT_EQ(portable::ModuleLoadCount(SystemModule("MPR.DLL")), 0);
    portable::SetPlatformId(VER_PLATFORM_WIN32_NT);
    EXPECT_EQ(Run("/a " + Number(owner)), -1);
    EXPECT_EQ(services.changeCalls.size(), 2u);
}

TEST_F(HostRun, FullScreenCoversTheVirtualScreenOrElseTheScreensClipBox) {
    const std::pair<RECT, RECT> cases[] = {{{-100, -20, 700, 580}, {-100, -20, 700, 580}},
                                           {{-100, -20, 700, -20}, {0, 0, 800, 600}},
                                           {{-100, -20, -100, 580}, {0, 0, 800, 600}}};
    for (const auto& [screen, expected] : cases) {
        Fresh();
        display->SetVirtualScreen(screen);
        RECT placed{};
        RunFrom("/s", [&](HWND saver) {
            placed = portable::FindWindowObject(saver)->rect;
            DestroyWindow(saver);
        });
        EXPECT_EQ(Corners(placed), Corners(expected));
    }
}

TEST_F(HostRun, FullScreenWindowHidesTheCursorKeepsItsTitleAndClosesOnTravelBeyondFourPixels) {
    const int result = Run("/s", [&](int frame, HWND saver) {
        if (frame == 1) {
            const portable::Window& window = *portable::FindWindowObject(saver);
            EXPECT_EQ(window.className, "WindowsScreenSaverClass");
            EXPECT_EQ(window.style, 0x96000000u); // pop-up, visible, clipping siblings, children
            EXPECT_EQ(window.exStyle, 8u);        // topmost
            EXPECT_EQ(window.classStyle, 0x2Bu);  // own DC, double clicks, redraw on resize
            EXPECT_EQ(window.classBrush, GetStockObject(BLACK_BRUSH));
            EXPECT_EQ(window.classCursor, nullptr);
            EXPECT_EQ(GetForegroundWindow(), saver);
            EXPECT_EQ(SendMessageA(saver, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x")), 0);
            EXPECT_EQ(window.title, "Screen Saver");
            ExpectCursorRules(saver, true);
            portable::MovePointer({12, 11}); // 3 pixels: creeping
        } else if (frame == 3) {
            portable::MovePointer({13, 12}); // 5 in all from where it started
        }
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(frames, 3);
    EXPECT_EQ(portable::LiveWindowCount(), 0u);
    EXPECT_EQ(TheAnimationWindow().window, nullptr); // routing removed at the last message
}

TEST_F(HostRun, ASecondFullScreenStartOnlyBringsTheFirstToTheFront) {
    RequirePassword();
    services.answers = {TRUE};
    int second = -2;
    RunFrom("/s", [&](HWND saver) {
        const HWND other = Parent(20, 20); // takes the front
        second = HostMain(GetModuleHandleA(nullptr), "/s");
        EXPECT_EQ(GetForegroundWindow(), saver);
        EXPECT_EQ(portable::ModuleLoadCount(SystemModule("PASSWORD.CPL")), 1); // not prepared again
        DestroyWindow(other);
        portable::PressInput(WM_KEYDOWN, 'A');
    });
    EXPECT_EQ(second, 0);
    EXPECT_EQ(services.dialogs, 1);

    // A preview carries another title: it is not taken for a running saver.
    Fresh();
    WNDCLASSA saverClass{};
    saverClass.lpfnWndProc = ParentProc;
    saverClass.lpszClassName = "WindowsScreenSaverClass";
    RegisterClassA(&saverClass);
    const HWND preview = CreateWindowExA(0, "WindowsScreenSaverClass", "Preview", WS_POPUP, 0, 0, 8,
                                         8, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(Run("/s"), -1); // the class exists in this process already: no window follows
    EXPECT_NE(GetForegroundWindow(), preview);
}

TEST_F(HostRun, PreviewLivesInItsParentIgnoresInputAndForwardsHelp) {
    const HWND parent = Parent(152, 112);
    const int result = Run("/p " + Number(parent), [&](int frame, HWND saver) {
        if (frame == 1) {
            const portable::Window& window = *portable::FindWindowObject(saver);
            EXPECT_EQ(window.style, 0x52000000u); // child, visible, clipping children
            EXPECT_EQ(window.exStyle, 0u);
            EXPECT_EQ(window.title, "Preview");
            EXPECT_EQ(Corners(window.rect), Corners({0, 0, 152, 112}));
            EXPECT_EQ(GetParent(saver), parent);
            ExpectCursorRules(saver, false);
            portable::MovePointer({100, 100});
            portable::PressInput(WM_KEYDOWN, 'A');
            portable::PressInput(WM_LBUTTONDOWN, 1);
            EXPECT_EQ(SendMessageA(saver, WM_HELP, 0, 77), 1);
            EXPECT_EQ(SendMessageA(saver, WM_CONTEXTMENU, 0, 78), 1);
        } else if (frame == 5) {
            DestroyWindow(parent); // the display settings close
        }
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(frames, 5);
    const auto asParameter = reinterpret_cast<WPARAM>(parent);
    EXPECT_EQ(parentMessages, (std::vector<std::tuple<UINT, WPARAM, LPARAM>>{
                                  {WM_HELP, asParameter, 77}, {WM_CONTEXTMENU, asParameter, 78}}));
}

TEST_F(HostRun, InputContextIsDetachedAndRestoredOnlyThroughAModuleLoadedAlready) {
    const HIMC saved = reinterpret_cast<HIMC>(std::uintptr_t{0x1234});
    struct Case {
        bool loaded, hasEntry;
        HIMC before;
        int calls; // 2: detached, then the saved context reattached
    };
    for (const Case& c : {Case{false, true, saved, 0}, Case{true, false, saved, 0},
                          Case{true, true, nullptr, 1}, Case{true, true, saved, 2}}) {
        Fresh();
        attachedBefore = c.before;
        portable::AddModule(
            SystemModule("IMM32.DLL"),
            Entries(c.hasEntry, "ImmAssociateContext", AsFarProc(FakeImmAssociateContext)),
            c.loaded);
        HWND saver = nullptr;
        RunFrom("/s", [&](HWND window) { DestroyWindow(saver = window); });
        const std::vector<std::pair<HWND, HIMC>> expected{{saver, nullptr}, {saver, saved}};
        EXPECT_EQ(associations, decltype(expected)(expected.begin(), expected.begin() + c.calls));
        EXPECT_EQ(portable::ModuleLoadCount(SystemModule("IMM32.DLL")), 0); // never loaded
    }
}

TEST_F(HostRun, PasswordGateAsksAtOnceRefusesWhileUpAndHoldsOffFromTheEndOfTheDialog) {
    RequirePassword();
    services.answers = {FALSE, TRUE};
    std::vector<int> dialogsAt;
    Run("/s", [&](int frame, HWND saver) {
        dialogsAt.push_back(services.dialogs);
        if (frame == 1) {
            portable::SetTickCount(50); // the very start: no dialog has ended yet
            for (WPARAM timer : {1, 2, 3}) {
                PostMessageA(saver, WM_TIMER, timer, 0);
            }
            services.duringDialog = [this](HWND window) {
                MSG msg;
                PeekMessageA(&msg, window, WM_TIMER, WM_TIMER, PM_NOREMOVE);
                EXPECT_EQ(msg.wParam, 3u); // two pending timer messages were dropped
                EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0); // no second dialog
                SendMessageA(window, WM_KEYDOWN, 'A', 0);           // the rules rest
                EXPECT_FALSE(ClosePending(window));
                SetCursor(portable::ArrowCursor); // the dialog shows the pointer
                display->MoveCursor({50, 10});
                portable::SetTickCount(1000);
            };
            EXPECT_EQ(SendMessageA(saver, WM_CLOSE, 0, 0), 0); // refused
            EXPECT_TRUE(portable::CursorHidden());
            services.duringDialog = nullptr;
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
    EXPECT_EQ(dialogsAt, (std::vector<int>{0, 1, 1, 1}));
    EXPECT_EQ(services.dialogs, 2);
}

TEST_F(HostRun, OnlyWindows9xWithTheSettingAndTheSystemsModuleAsksForAPassword) {
    struct Case {
        DWORD platform;
        std::vector<BYTE> setting;
        std::string module; // where PASSWORD.CPL lies
        bool hasEntry;
        int dialogs;
    };
    const DWORD nt = VER_PLATFORM_WIN32_NT, win9x = VER_PLATFORM_WIN32_WINDOWS;
    const std::string system = SystemModule("PASSWORD.CPL"), planted = "PASSWORD.CPL";
    const Case cases[] = {
        {win9x, {}, system, true, 0},
        {win9x, {0}, system, true, 0},
        {win9x, {1, 0, 0, 0, 0}, system, true, 0}, // too long for four bytes
        {win9x, {1}, planted, true, 0},
        {nt, {1, 0, 0, 0}, system, true, 0},
        {win9x, {1, 0, 0, 0}, system, false, 0},
        {win9x, {0, 0, 0, 1}, system, true, 1},
        {win9x, {1}, system, true, 1}, // short data reads as a small number
    };
    for (const Case& c : cases) {
        Fresh();
        RequirePassword(c.setting, c.module, c.hasEntry);
        portable::SetPlatformId(c.platform);
        services.answers = {TRUE};
        RunFrom("/s", [&](HWND) {
            EXPECT_EQ(portable::SaverRunningState(), c.dialogs == 1);
            EXPECT_EQ(portable::ModuleLoadCount(c.module), c.dialogs);
            portable::PressInput(WM_KEYDOWN, 'A');
        });
        EXPECT_EQ(services.dialogs, c.dialogs);
        EXPECT_FALSE(portable::SaverRunningState()); // off again once the verifier is released
        EXPECT_EQ(portable::ModuleLoadCount(c.module), 0);
    }
}

TEST_F(HostRun, AutoPlayAndPasswordRequestsAreAnsweredByFamilyPasswordAndMode) {
    // Windows 9x, a password, a preview: the answer to "QueryCancelAutoPlay", whether that query
    // posts a close request, and the answer to the password request 0x8000.
    const std::pair<std::array<bool, 3>, std::vector<LRESULT>> cases[] = {
        {{false, false, false}, {0, 0, 0}},
        {{true, false, false}, {0, 1, 1}},
        {{true, true, false}, {1, 1, 0}},
        {{true, false, true}, {0, 1, 0}}};
    for (const auto& [setup, expected] : cases) {
        Fresh();
        portable::SetPlatformId(setup[0] ? VER_PLATFORM_WIN32_WINDOWS : VER_PLATFORM_WIN32_NT);
        if (setup[1]) {
            RequirePassword();
        }
        services.answers = {FALSE, TRUE};
        std::vector<LRESULT> answers;
        RunFrom(setup[2] ? "/p " + Number(Parent(40, 30)) : "/s", [&](HWND saver) {
            const LRESULT verify = SendMessageA(saver, 0x8000, 0, 0);
            answers = {SendMessageA(saver, RegisterWindowMessageA("QueryCancelAutoPlay"), 0, 0),
                       ClosePending(saver), verify};
            if (!answers[1]) {
                DestroyWindow(saver);
            }
        });
        EXPECT_EQ(answers, expected) << setup[0] << setup[1] << setup[2];
    }
}
