// The framework's pure decisions: command line, dismissal table, mouse rule, password gate.

#include "host/command_line.h"
#include "host/dismissal.h"
#include "host/password_gate.h"

#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

TEST(CommandLine, SkipProgramNameFindsTheTail) {
    const std::pair<const char*, const char*> cases[] = {
        {"epiphase.scr /s", "/s"},
        {"epiphase.scr \t  /p 12", "/p 12"},
        {"\"C:\\My Savers\\epiphase.scr\"/s", "/s"},
        {"\"C:\\My Savers\\epiphase.scr\" \t/s", "/s"},
        {"\"C:\\My Savers\\epiphase.scr /s", ""}, // no closing quote: all consumed
        {"  /s", "/s"},
        {"", ""},
    };
    for (const auto& [raw, tail] : cases) {
        const auto step = [](const char* text) { return *text ? text + 1 : text; };
        EXPECT_EQ(std::string(SkipProgramName(raw, step)), tail) << raw;
    }
}

TEST(CommandLine, EveryTailSelectsItsModeOnEachFamily) {
    using enum LaunchMode;
    const std::vector<bool> Both{false, true}, Nt{false}, Win9x{true}; // is it Windows 9x
    struct Case {
        LaunchMode mode;
        std::uint32_t number;
        bool fallback;
        std::vector<bool> families;
        std::vector<const char*> tails;
    };
    const Case cases[] = {
        {Configure, 0, false, Both, {"", "/", "--", "- /"}},
        {RunFullScreen, 0, false, Both, {"/s", "-S", "s", "  //s", "/s 123", "/sx", "/s /p 1"}},
        {RunPreview, 1234, false, Both, {"/p 1234", "/P1234", "/l 1234", "/L1234", "p   1234"}},
        {RunPreview, 0, false, Both, {"/p", "/p:1234", "/p\t1234"}},
        {RunPreview, 12, false, Both, {"/p 12ab", "/p 4294967308"}}, // wraps modulo 2^32
        {Configure, 1234, true, Both, {"/c:1234", "/C:1234"}},
        {Configure, 0, true, Both, {"/c 1234", "/c", "/c:0", "c:x"}},
        {ChangePassword, 1234, false, Win9x, {"/a   1234", "-A1234"}},
        {Reject, 0, false, Nt, {"/a 1234", "/A"}},
        {Reject, 0, false, Both, {"/\ts", "/x", "/?", "7", "/\xE9"}},
    };
    for (const Case& c : cases) {
        for (const bool win9x : c.families) {
            for (const char* tail : c.tails) {
                const LaunchRequest request = ParseLaunchCommand(tail, win9x);
                EXPECT_EQ(std::tuple(request.mode, request.windowNumber, request.ownerFallback),
                          std::tuple(c.mode, c.number, c.fallback))
                    << "'" << tail << "' " << win9x;
            }
        }
    }
}

TEST(Dismissal, InputAndSystemEventsThatCloseTheSaver) {
    using enum Dismissal;
    const std::tuple<UINT, WPARAM, Dismissal> cases[] = {
        {WM_KEYDOWN, 'A', Close},      {WM_SYSKEYDOWN, 0x12, Close},
        {WM_LBUTTONDOWN, 1, Close},    {WM_RBUTTONDOWN, 2, Close},
        {WM_MBUTTONDOWN, 16, Close},   {WM_ACTIVATEAPP, 0, Close},
        {WM_POWERBROADCAST, 7, Close}, {WM_POWER, 3, Close}, // critical resume
        {WM_POWER, 1, None},           {WM_ACTIVATEAPP, 1, None},
        {WM_KEYUP, 'A', None},         {WM_LBUTTONUP, 0, None},
        {WM_LBUTTONDBLCLK, 1, None},   {WM_MOUSEWHEEL, 120 << 16, None},
        {WM_CHAR, 'a', None},          {WM_SHOWWINDOW, 1, HideCursor},
        {WM_SHOWWINDOW, 0, None},      {WM_SETCURSOR, 0, HideCursorOnly},
        {WM_MOUSEMOVE, 0, MouseRule},
    };
    for (const auto& [message, wParam, expected] : cases) {
        EXPECT_EQ(DismissalFor(message, wParam), expected) << std::hex << message;
    }
}

TEST(Dismissal, MouseTravelCountsFromTheReferenceBeyondFourPixels) {
    const POINT reference{100, 100};
    EXPECT_FALSE(MouseTravelCloses(reference, {103, 101}));
    EXPECT_TRUE(MouseTravelCloses(reference, {104, 101}));
    EXPECT_TRUE(MouseTravelCloses(reference, {103, 102}));
    EXPECT_TRUE(MouseTravelCloses(reference, {95, 100}));
    EXPECT_FALSE(MouseTravelCloses(reference, {98, 102}));
    EXPECT_FALSE(MouseTravelCloses(reference, {99, 99}));   // leftward and upward count too
    EXPECT_TRUE(MouseTravelCloses({0, 0}, {INT32_MIN, 0})); // 32-bit, unsigned comparison
}

TEST(Dismissal, TheWindowProcedurePrefiltersByModeAndState) {
    using enum Prefilter;
    enum State { Running, Preview, Closing }; // full screen; preview; a close was confirmed
    const std::tuple<UINT, WPARAM, State, Prefilter> cases[] = {
        {WM_SYSCOMMAND, SC_SCREENSAVE, Running, Swallow},
        {WM_SYSCOMMAND, SC_NEXTWINDOW, Running, Swallow},
        {WM_SYSCOMMAND, SC_PREVWINDOW, Running, Swallow},
        {WM_SYSCOMMAND, SC_SCREENSAVE + 1, Running, PassToApplication}, // every bit counts
        {WM_SYSCOMMAND, SC_SCREENSAVE, Preview, PassToApplication},
        {WM_SETTEXT, 0, Preview, Swallow},
        {WM_HELP, 0, Preview, ForwardToParent},
        {WM_CONTEXTMENU, 0, Preview, ForwardToParent},
        {WM_HELP, 0, Running, PassToApplication},
        {WM_KEYDOWN, 0, Running, PassToApplication},
        {WM_PAINT, 0, Running, PassToApplication},
        {WM_TIMER, 0, Running, YieldThenPass},
        {WM_CLOSE, 0, Closing, PassToApplication},
        {WM_TIMER, 0, Closing, Swallow},
    };
    for (const auto& [message, wParam, state, expected] : cases) {
        EXPECT_EQ(PrefilterFor(message, wParam, state == Preview, state == Closing), expected)
            << std::hex << message << " " << wParam;
    }
    // Once closing, input and paint go straight to the default procedure, in any mode.
    for (UINT message : {WM_KEYDOWN, WM_SYSKEYDOWN, WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_RBUTTONDOWN,
                         WM_MBUTTONDOWN, WM_PAINT}) {
        EXPECT_EQ(PrefilterFor(message, 0, message == WM_LBUTTONDOWN, true), DefaultOnly);
    }
}

TEST(PasswordGate, HoldOffCountsFromTheEndOfTheLastDialogAcrossAWrap) {
    const std::uint32_t never = 0xFFFFFFFFu;
    EXPECT_EQ(DecideClose(true, true, 5000, never), CloseGate::Refuse);
    EXPECT_EQ(DecideClose(true, false, 5000, never), CloseGate::Refuse);
    EXPECT_EQ(DecideClose(false, false, 5000, 4999), CloseGate::Allow);
    EXPECT_EQ(DecideClose(false, true, 50, never), CloseGate::Ask); // never asked before
    EXPECT_EQ(DecideClose(false, true, 5199, 5000), CloseGate::Refuse);
    EXPECT_EQ(DecideClose(false, true, 5200, 5000), CloseGate::Ask);
    EXPECT_EQ(DecideClose(false, true, 50, 0xFFFFFFF0u), CloseGate::Refuse); // 66 ms, wrapped
    EXPECT_EQ(DecideClose(false, true, 200, 0xFFFFFFF0u), CloseGate::Ask);   // 216 ms
}
