#include "host/command_line.h"
#include "host/dismissal.h"
#include "host/password_gate.h"

#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

TEST(CommandLine, SkipProgramNameFindsTheTail) {
    const std::pair<const char*, const char*> cases[] = {
        {"e.scr \t  /p 12", "/p 12"},
        {"", ""},
        {"\"C:\\A B\\e.scr\"/s", "/s"},
        {"\"C:\\A B\\e.scr\" \t/s", "/s"},
        {"\"C:\\A B\\e.scr /s", ""}}; // no closing quote: all consumed
    const auto step = [](const char* text) { return *text ? text + 1 : text; };
    for (const auto& [raw, tail] : cases) {
        EXPECT_EQ(std::string(SkipProgramName(raw, step)), tail) << raw;
    }
}

TEST(CommandLine, EveryTailSelectsItsModeOnEachFamily) {
    using enum LaunchMode;
    const std::vector<bool> Both{false, true}, Nt{false}, Win9x{true}; // is it Windows 9x
    // Mode, window number (wrapping modulo 2^32), owner fallback, families, tails.
    using Case =
        std::tuple<LaunchMode, std::uint32_t, bool, std::vector<bool>, std::vector<const char*>>;
    const Case cases[] = {
        {Configure, 0, false, Both, {"", "/", "--", "- /"}},
        {RunFullScreen, 0, false, Both, {"/s", "-S", "s", "  //s", "/s 123", "/sx", "/s /p 1"}},
        {RunPreview, 1234, false, Both, {"/p 1234", "/P1234", "/l 1234", "/L1234", "p   1234"}},
        {RunPreview, 0, false, Both, {"/p", "/p:1234", "/p\t1234"}},
        {RunPreview, 12, false, Both, {"/p 12ab", "/p 4294967308"}},
        {Configure, 1234, true, Both, {"/c:1234", "/C:1234"}},
        {Configure, 0, true, Both, {"/c 1234", "/c", "/c:0", "c:x"}},
        {ChangePassword, 1234, false, Win9x, {"/a   1234", "-A1234"}},
        {Reject, 0, false, Nt, {"/a 1234", "/A"}},
        {Reject, 0, false, Both, {"/\ts", "/x", "/?", "7", "/\xE9"}}};
    for (const auto& [mode, number, fallback, families, tails] : cases) {
        for (const bool win9x : families) {
            for (const char* tail : tails) {
                const LaunchRequest request = ParseLaunchCommand(tail, win9x);
                EXPECT_EQ(std::tuple(request.mode, request.windowNumber, request.ownerFallback),
                          std::tuple(mode, number, fallback))
                    << "'" << tail << "' " << win9x;
            }
        }
    }
}

TEST(Dismissal, InputAndSystemEventsThatCloseTheSaver) {
    using enum Dismissal; // WM_POWER 3: a critical resume
    const std::tuple<UINT, WPARAM, Dismissal> cases[] = {
        {WM_KEYDOWN, 'A', Close},      {WM_SYSKEYDOWN, 0x12, Close},
        {WM_LBUTTONDOWN, 1, Close},    {WM_RBUTTONDOWN, 2, Close},
        {WM_MBUTTONDOWN, 16, Close},   {WM_ACTIVATEAPP, 0, Close},
        {WM_POWERBROADCAST, 7, Close}, {WM_POWER, 3, Close},
        {WM_POWER, 1, None},           {WM_ACTIVATEAPP, 1, None},
        {WM_KEYUP, 'A', None},         {WM_LBUTTONUP, 0, None},
        {WM_LBUTTONDBLCLK, 1, None},   {WM_MOUSEWHEEL, 120 << 16, None},
        {WM_CHAR, 'a', None},          {WM_SHOWWINDOW, 1, HideCursor},
        {WM_SHOWWINDOW, 0, None},      {WM_SETCURSOR, 0, HideCursorOnly},
        {WM_MOUSEMOVE, 0, MouseRule}};
    for (const auto& [message, wParam, expected] : cases) {
        EXPECT_EQ(DismissalFor(message, wParam), expected) << std::hex << message;
    }
}

TEST(Dismissal, MouseTravelCountsFromTheReferenceBeyondFourPixels) {
    const std::tuple<int, int, bool> cases[] = {
        {103, 101, false}, {104, 101, true}, {103, 102, true}, {98, 102, false}, {99, 99, false}};
    for (const auto& [x, y, closes] : cases) { // leftward and upward count too
        EXPECT_EQ(MouseTravelCloses({100, 100}, {x, y}), closes) << x << "," << y;
    }
    EXPECT_TRUE(MouseTravelCloses({0, 0}, {INT32_MIN, 0})); // 32-bit, unsigned comparison
}

TEST(Dismissal, TheWindowProcedurePrefiltersByModeAndState) {
    using enum Prefilter;
    enum State { Running, Preview, Closing }; // full screen; preview; a close was confirmed
    const std::tuple<State, Prefilter, std::vector<std::pair<UINT, WPARAM>>> cases[] = {
        {Running, Swallow, {{WM_SYSCOMMAND, SC_SCREENSAVE}, {WM_SYSCOMMAND, SC_NEXTWINDOW}}},
        {Running, Swallow, {{WM_SYSCOMMAND, SC_PREVWINDOW}}},
        {Preview, Swallow, {{WM_SETTEXT, 0}}},
        {Closing, Swallow, {{WM_TIMER, 0}}},
        {Running, YieldThenPass, {{WM_TIMER, 0}}},
        {Preview, ForwardToParent, {{WM_HELP, 0}, {WM_CONTEXTMENU, 0}}},
        {Preview, PassToApplication, {{WM_SYSCOMMAND, SC_SCREENSAVE}}},
        {Running, PassToApplication, {{WM_SYSCOMMAND, SC_SCREENSAVE + 1}, {WM_HELP, 0}}},
        {Closing, PassToApplication, {{WM_CLOSE, 0}}}};
    for (const auto& [state, expected, messages] : cases) {
        for (const auto& [message, wParam] : messages) {
            EXPECT_EQ(PrefilterFor(message, wParam, state == Preview, state == Closing), expected)
                << std::hex << message << " " << wParam;
        }
    }
    for (UINT message : {WM_KEYDOWN, WM_SYSKEYDOWN, WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_RBUTTONDOWN,
                         WM_MBUTTONDOWN, WM_PAINT}) { // once closing, in any mode
        EXPECT_EQ(PrefilterFor(message, 0, message == WM_LBUTTONDOWN, true), DefaultOnly);
    }
}

TEST(PasswordGate, HoldOffCountsFromTheEndOfTheLastDialogAcrossAWrap) {
    using enum CloseGate;
    const std::uint32_t never = 0xFFFFFFFFu, late = 0xFFFFFFF0u; // late: 66 ms, then 216 ms
    const std::tuple<bool, bool, std::uint32_t, std::uint32_t, CloseGate> cases[] = {
        {true, true, 5000, never, Refuse}, {true, false, 5000, never, Refuse},
        {false, false, 5000, 4999, Allow}, {false, true, 50, never, Ask},
        {false, true, 5199, 5000, Refuse}, {false, true, 5200, 5000, Ask},
        {false, true, 50, late, Refuse},   {false, true, 200, late, Ask}};
    for (const auto& [up, password, now, ended, expected] : cases) {
        EXPECT_EQ(DecideClose(up, password, now, ended), expected) << now << " " << ended;
    }
}
