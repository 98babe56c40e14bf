// The framework's pure decisions: command line, dismissal table, mouse rule, password gate.

#include "host/command_line.h"
#include "host/dismissal.h"
#include "host/password_gate.h"

#include <gtest/gtest.h>
#include <string>

namespace {
const char* StepByte(const char* text) {
    return *text ? text + 1 : text;
}
} // namespace

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
        EXPECT_EQ(std::string(SkipProgramName(raw, StepByte)), tail) << raw;
    }
}

TEST(CommandLine, EveryTailSelectsItsModeOnEachFamily) {
    using enum LaunchMode;
    struct Case {
        const char* tail;
        bool win9x;
        LaunchMode mode;
        std::uint32_t number;
        bool fallback;
    };
    const Case cases[] = {
        {"", false, Configure, 0, false},
        {"/", true, Configure, 0, false},
        {"--", false, Configure, 0, false},
        {"- /", false, Configure, 0, false},
        {"/s", false, RunFullScreen, 0, false},
        {"-S", true, RunFullScreen, 0, false},
        {"s", false, RunFullScreen, 0, false},
        {"  //s", false, RunFullScreen, 0, false},
        {"/s 123", false, RunFullScreen, 0, false},
        {"/sx", false, RunFullScreen, 0, false},
        {"/s /p 123", false, RunFullScreen, 0, false},
        {"/p 1234", false, RunPreview, 1234, false},
        {"/P1234", true, RunPreview, 1234, false},
        {"/l 1234", false, RunPreview, 1234, false},
        {"/L1234", false, RunPreview, 1234, false},
        {"p   1234", false, RunPreview, 1234, false},
        {"/p", false, RunPreview, 0, false},
        {"/p:1234", false, RunPreview, 0, false},
        {"/p\t1234", false, RunPreview, 0, false},
        {"/p 12ab", false, RunPreview, 12, false},
        {"/p 4294967297", false, RunPreview, 1, false},
        {"/c:1234", false, Configure, 1234, true},
        {"/C:1234", true, Configure, 1234, true},
        {"/c 1234", false, Configure, 0, true},
        {"/c", false, Configure, 0, true},
        {"/c:0", false, Configure, 0, true},
        {"/a 1234", false, Reject, 0, false},
        {"/A", false, Reject, 0, false},
        {"/a   1234", true, ChangePassword, 1234, false},
        {"-A12", true, ChangePassword, 12, false},
        {"/\ts", true, Reject, 0, false},
        {"/x", true, Reject, 0, false},
        {"/?", false, Reject, 0, false},
        {"7", false, Reject, 0, false},
        {"/\xE9", false, Reject, 0, false},
    };
    for (const Case& c : cases) {
        const LaunchRequest request = ParseLaunchCommand(c.tail, c.win9x);
        EXPECT_EQ(request.mode, c.mode) << "'" << c.tail << "'";
        EXPECT_EQ(request.windowNumber, c.number) << "'" << c.tail << "'";
        EXPECT_EQ(request.ownerFallback, c.fallback) << "'" << c.tail << "'";
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
    EXPECT_TRUE(MouseTravelCloses({0, 0}, {INT32_MIN, 0})); // 32-bit, unsigned comparison
}

TEST(Dismissal, TheWindowProcedurePrefiltersByModeAndState) {
    using enum Prefilter;
    struct Case {
        UINT message;
        WPARAM wParam;
        bool preview, confirmed;
        Prefilter expected;
    };
    const Case cases[] = {
        {WM_SYSCOMMAND, SC_SCREENSAVE, false, false, Swallow},
        {WM_SYSCOMMAND, SC_NEXTWINDOW, false, false, Swallow},
        {WM_SYSCOMMAND, SC_PREVWINDOW, false, false, Swallow},
        {WM_SYSCOMMAND, SC_SCREENSAVE + 1, false, false, PassToApplication}, // all bits count
        {WM_SYSCOMMAND, SC_SCREENSAVE, true, false, PassToApplication},
        {WM_SETTEXT, 0, true, false, Swallow},
        {WM_HELP, 0, true, false, ForwardToParent},
        {WM_CONTEXTMENU, 0, true, false, ForwardToParent},
        {WM_HELP, 0, false, false, PassToApplication},
        {WM_KEYDOWN, 0, false, true, DefaultOnly},
        {WM_SYSKEYDOWN, 0, false, true, DefaultOnly},
        {WM_MOUSEMOVE, 0, false, true, DefaultOnly},
        {WM_LBUTTONDOWN, 0, true, true, DefaultOnly},
        {WM_RBUTTONDOWN, 0, false, true, DefaultOnly},
        {WM_MBUTTONDOWN, 0, false, true, DefaultOnly},
        {WM_KEYDOWN, 0, false, false, PassToApplication},
        {WM_PAINT, 0, false, true, DefaultOnly},
        {WM_PAINT, 0, false, false, PassToApplication},
        {WM_TIMER, 0, false, true, Swallow},
        {WM_TIMER, 0, false, false, YieldThenPass},
        {WM_CLOSE, 0, false, true, PassToApplication},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PrefilterFor(c.message, c.wParam, c.preview, c.confirmed), c.expected)
            << std::hex << c.message << " " << c.wParam;
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
