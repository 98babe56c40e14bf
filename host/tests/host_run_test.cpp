// Whole runs of the framework on the stand-in: HostMain with a command tail, the saver window
// and its loop, input as a user gives it, and the exit code.

#include "animation/animation_window.h"
#include "host/host_state.h"
#include "host/saver_host.h"
#include "model/clock.h"
#include "platform/api.h"
#include "platform/portable/controls.h"
#include "platform/portable/headless_display.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
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

std::vector<std::pair<HWND, HIMC>> associations;
HIMC WINAPI FakeImmAssociateContext(HWND window, HIMC context) {
    associations.push_back({window, context});
    return context == nullptr ? reinterpret_cast<HIMC>(std::uintptr_t{0x1234}) : nullptr;
}

std::vector<std::pair<UINT, WPARAM>> parentMessages;
LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HELP || message == WM_CONTEXTMENU) {
        parentMessages.push_back({message, wParam});
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

template <class Entry> FARPROC AsFarProc(Entry entry) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(entry));
}

std::string SystemModule(const char* name) {
    return std::string(portable::SystemDirectory) + "\\" + name;
}

class HostRun : public ::testing::Test {
  protected:
    void SetUp() override {
        Fresh();
        associations.clear();
        parentMessages.clear();
        UseSteppedClock(16);
    }
    // A new process, as far as the platform and the framework can tell.
    void Fresh() {
        portable::ResetPlatform();
        display = &portable::UseHeadlessDisplay(800, 600);
        display->MoveCursor({10, 10});
        Host() = HostState{};
        services = PasswordServices{};
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

    void RequirePassword(std::vector<BYTE> value) {
        portable::SetPlatformId(VER_PLATFORM_WIN32_WINDOWS);
        portable::SetRegistryValue("Control Panel\\Desktop", "ScreenSaveUsePassword", value);
        portable::AddModule(SystemModule("PASSWORD.CPL"),
                            {{"VerifyScreenSavePwd", AsFarProc(FakeVerifyScreenSavePwd)}}, false);
    }

    HWND Parent(int width, int height) {
        WNDCLASSA parentClass{};
        parentClass.lpfnWndProc = ParentProc;
        parentClass.lpszClassName = "DisplaySettings";
        RegisterClassA(&parentClass);
        return CreateWindowExA(0, "DisplaySettings", "Display", WS_POPUP | WS_VISIBLE, 0, 0,
                               width, height, nullptr, nullptr, nullptr, nullptr);
    }

    portable::HeadlessDisplay* display = nullptr;
    int frames = 0;
};

std::string Number(HWND window) { return std::to_string(reinterpret_cast<std::uintptr_t>(window)); }

} // namespace

TEST_F(HostRun, RejectedAndUnavailableModesExitWithMinusOneAndCreateNothing) {
    for (const char* tail : {"/p 1234", "/p", "/p:1234", "/x", "/?", "/\ts", "7", "/c", "",
                             "/c:1234", "/a 1234"}) {
        EXPECT_EQ(Run(tail), -1) << "'" << tail << "'";
        EXPECT_EQ(portable::LiveWindowCount(), 0u) << "'" << tail << "'";
    }
}

TEST_F(HostRun, FullScreenCoversTheScreenPaintsAndClosesOnTravelBeyondFourPixels) {
    RECT client{};
    char title[32] = {};
    const int result = Run("/s", [&](int frame, HWND saver) {
        if (frame == 1) {
            GetClientRect(saver, &client);
            GetWindowTextA(saver, title, sizeof title);
            EXPECT_TRUE(portable::CursorHidden());
            EXPECT_EQ(GetForegroundWindow(), saver);
            EXPECT_EQ(SendMessageA(saver, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x")), 0);
            EXPECT_EQ(SendMessageA(saver, WM_SYSCOMMAND, SC_SCREENSAVE, 0), 0);
            portable::MovePointer({12, 11}); // 3 pixels: creeping
        } else if (frame == 3) {
            portable::MovePointer({13, 12}); // 5 in all from where it started
        }
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(frames, 3);
    EXPECT_EQ(client.right, 800);
    EXPECT_EQ(client.bottom, 600);
    EXPECT_STREQ(title, "Screen Saver");
    EXPECT_EQ(portable::LiveWindowCount(), 0u);
    EXPECT_EQ(TheAnimationWindow().window, nullptr); // routing removed at the last message
}

TEST_F(HostRun, KeysButtonsLostActivationAndPowerEventsClose) {
    const std::vector<std::function<void(HWND)>> inputs = {
        [](HWND) { portable::PressInput(WM_KEYDOWN, 'A'); },
        [](HWND) { portable::PressInput(WM_SYSKEYDOWN, 0x12); },
        [](HWND) { portable::PressInput(WM_RBUTTONDOWN, 2); },
        [](HWND) { portable::DeactivateApplication(); },
        [](HWND saver) { portable::SendSystemMessage(saver, WM_POWERBROADCAST, 4, 0); },
    };
    for (const auto& input : inputs) {
        Fresh();
        EXPECT_EQ(Run("/s", [&](int frame, HWND saver) {
                      if (frame == 2) {
                          portable::PressInput(WM_KEYUP, 'A'); // releases do not close
                          portable::PressInput(WM_LBUTTONUP, 1);
                      } else if (frame == 4) {
                          input(saver);
                      }
                  }),
                  0);
        EXPECT_EQ(frames, 4); // input and the close request it posts come before the next paint
    }
}

TEST_F(HostRun, ASecondFullScreenStartBringsTheFirstToTheFront) {
    int second = -2;
    EXPECT_EQ(Run("/s",
                  [&](int frame, HWND saver) {
                      if (frame == 1) {
                          SetForegroundWindow(nullptr);
                          second = HostMain(GetModuleHandleA(nullptr), "/s");
                          EXPECT_EQ(portable::LiveWindowCount(), 1u);
                          EXPECT_EQ(GetForegroundWindow(), saver);
                          PostMessageA(saver, WM_CLOSE, 0, 0);
                      }
                  }),
              0);
    EXPECT_EQ(second, 0);
}

TEST_F(HostRun, PreviewLivesInItsParentIgnoresInputAndForwardsHelp) {
    const HWND parent = Parent(152, 112);
    RECT client{};
    const int result = Run("/p " + Number(parent), [&](int frame, HWND saver) {
        if (frame == 1) {
            GetClientRect(saver, &client);
            EXPECT_EQ(GetParent(saver), parent);
            EXPECT_FALSE(portable::CursorHidden());
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
    EXPECT_EQ(client.right, 152);
    EXPECT_EQ(client.bottom, 112);
    EXPECT_EQ(parentMessages,
              (std::vector<std::pair<UINT, WPARAM>>{{WM_HELP, reinterpret_cast<WPARAM>(parent)},
                                                    {WM_CONTEXTMENU,
                                                     reinterpret_cast<WPARAM>(parent)}}));
}

TEST_F(HostRun, InputContextIsDetachedAndRestoredOnlyThroughALoadedModule) {
    const auto closeAtOnce = [](int, HWND saver) { PostMessageA(saver, WM_CLOSE, 0, 0); };
    portable::AddModule(SystemModule("IMM32.DLL"),
                        {{"ImmAssociateContext", AsFarProc(FakeImmAssociateContext)}}, false);
    EXPECT_EQ(Run("/s", closeAtOnce), 0);
    EXPECT_TRUE(associations.empty()); // available but not loaded: left alone
    EXPECT_EQ(portable::ModuleLoadCount(SystemModule("IMM32.DLL")), 0);

    Fresh();
    portable::AddModule(SystemModule("IMM32.DLL"),
                        {{"ImmAssociateContext", AsFarProc(FakeImmAssociateContext)}}, true);
    HWND saverWindow = nullptr;
    EXPECT_EQ(Run("/s",
                  [&](int frame, HWND saver) {
                      saverWindow = saver;
                      closeAtOnce(frame, saver);
                  }),
              0);
    const HIMC saved = reinterpret_cast<HIMC>(std::uintptr_t{0x1234});
    EXPECT_EQ(associations, (std::vector<std::pair<HWND, HIMC>>{{saverWindow, nullptr},
                                                               {saverWindow, saved}}));
}

TEST_F(HostRun, PasswordIsAskedOnceRefusalKeepsRunningAndTheHoldOffCountsFromTheDialog) {
    RequirePassword({1, 0, 0, 0});
    services.answers = {FALSE, TRUE};
    std::vector<int> dialogsAt;
    bool runningWhileUp = false;
    const int result = Run("/s", [&](int frame, HWND) {
        runningWhileUp = runningWhileUp || portable::SaverRunningState();
        switch (frame) {
        case 1:
            portable::SetTickCount(1000);
            services.duringDialog = [](HWND window) {
                // A close request while the dialog is up is refused without a second dialog.
                EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
            };
            portable::MovePointer({30, 10}); // closes: the first request asks
            break;
        case 3:
            services.duringDialog = nullptr;
            dialogsAt.push_back(services.dialogs);
            portable::MovePointer({33, 10}); // refused: the reference moved to (30, 10)
            break;
        case 5:
            dialogsAt.push_back(services.dialogs);
            portable::SetTickCount(1199);
            portable::PressInput(WM_KEYDOWN, 'A'); // within 200 ms of the dialog's end
            break;
        case 7:
            dialogsAt.push_back(services.dialogs);
            portable::SetTickCount(1200);
            portable::PressInput(WM_KEYDOWN, 'A'); // asks again, and the password is right
            break;
        default:
            break;
        }
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(dialogsAt, (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(services.dialogs, 2);
    EXPECT_TRUE(runningWhileUp);
    EXPECT_FALSE(portable::SaverRunningState()); // off again once the verifier is released
    EXPECT_EQ(portable::ModuleLoadCount(SystemModule("PASSWORD.CPL")), 0);
}

TEST_F(HostRun, WithoutAPasswordSettingTheFirstInputCloses) {
    // Absent, zero, too long for four bytes, or a module planted beside the program only.
    const std::vector<std::function<void()>> setups = {
        [] { portable::SetPlatformId(VER_PLATFORM_WIN32_WINDOWS); },
        [this] { RequirePassword({0}); },
        [this] { RequirePassword({1, 0, 0, 0, 0}); },
        [] {
            portable::SetPlatformId(VER_PLATFORM_WIN32_WINDOWS);
            portable::SetRegistryValue("Control Panel\\Desktop", "ScreenSaveUsePassword", {1});
            portable::AddModule("PASSWORD.CPL",
                                {{"VerifyScreenSavePwd", AsFarProc(FakeVerifyScreenSavePwd)}},
                                false);
        },
    };
    for (const auto& setup : setups) {
        Fresh();
        setup();
        EXPECT_EQ(Run("/s", [](int frame, HWND) {
                      if (frame == 1) {
                          portable::PressInput(WM_KEYDOWN, 'A');
                      }
                  }),
                  0);
        EXPECT_EQ(services.dialogs, 0);
        EXPECT_FALSE(portable::SaverRunningState());
        EXPECT_EQ(portable::ModuleLoadCount("PASSWORD.CPL"), 0);
    }
}

TEST_F(HostRun, ShortRegistryDataReadsAsASmallNumber) {
    RequirePassword({1}); // one byte: 1, not whatever the rest of the buffer held
    services.answers = {TRUE};
    EXPECT_EQ(Run("/s", [](int frame, HWND) {
                  if (frame == 1) {
                      portable::PressInput(WM_KEYDOWN, 'A');
                  }
              }),
              0);
    EXPECT_EQ(services.dialogs, 1);
}

TEST_F(HostRun, AutoPlayQueryClosesAndAnswersWhetherAPasswordGuardsTheSaver) {
    RequirePassword({1, 0, 0, 0});
    services.answers = {TRUE};
    LRESULT answer = -1;
    EXPECT_EQ(Run("/s",
                  [&](int frame, HWND saver) {
                      if (frame == 1) {
                          answer = SendMessageA(saver, RegisterWindowMessageA("QueryCancelAutoPlay"),
                                                0, 0);
                      }
                  }),
              0);
    EXPECT_EQ(answer, 1);
    EXPECT_EQ(services.dialogs, 1); // its close request passed the gate
}

TEST_F(HostRun, ChangePasswordCallsTheServiceWithTheParentOnlyOnWindows9x) {
    portable::SetPlatformId(VER_PLATFORM_WIN32_WINDOWS);
    portable::AddModule(SystemModule("MPR.DLL"),
                        {{"PwdChangePasswordA", AsFarProc(FakePwdChangePasswordA)}}, false);
    const HWND parent = Parent(100, 100);
    EXPECT_EQ(Run("/a " + Number(parent)), 0);
    EXPECT_EQ(Run("/a 99999"), 0); // no such window: the foreground window instead
    EXPECT_EQ(services.changeCalls,
              (std::vector<std::string>{"SCRSAVE " + Number(parent), "SCRSAVE " + Number(parent)}));
    EXPECT_EQ(portable::ModuleLoadCount(SystemModule("MPR.DLL")), 0);
}
