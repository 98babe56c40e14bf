// The framework's pure decisions: command line, dismissal table, mouse rule, password gate.

#include "host/command_line.h"
#include "host/dismissal.h"
#include "host/host_state.h"
#include "host/password_gate.h"

#include <gtest/gtest.h>
#include <string>

namespace {

const char* StepByte(const char* text) { return *text ? text + 1 : text; }

std::string Tail(const char* raw) { return SkipProgramName(raw, StepByte); }

} // namespace

TEST(CommandLine, SkipProgramNameFindsTheTail) {
    EXPECT_EQ(Tail("epiphase.scr /s"), "/s");
    EXPECT_EQ(Tail("epiphase.scr \t  /p 12"), "/p 12");
    EXPECT_EQ(Tail("\"C:\\My Savers\\epiphase.scr\"/s"), "/s");
    EXPECT_EQ(Tail("\"C:\\My Savers\\epiphase.scr /s"), ""); // no closing quote: all consumed
    EXPECT_EQ(Tail("  /s"), "/s");
    EXPECT_EQ(Tail(""), "");
}

TEST(CommandLine, EveryTailSelectsItsMode) {
    struct Case {
        const char* tail;
        LaunchMode mode;
        std::uint32_t number;
        bool fallback;
    };
    const Case cases[] = {
        {"", LaunchMode::Configure, 0, false},
        {"/", LaunchMode::Configure, 0, false},
        {"--", LaunchMode::Configure, 0, false},
        {"- /", LaunchMode::Configure, 0, false},
        {"/s", LaunchMode::RunFullScreen, 0, false},
        {"-S", LaunchMode::RunFullScreen, 0, false},
        {"s", LaunchMode::RunFullScreen, 0, false},
        {"  //s", LaunchMode::RunFullScreen, 0, false},
        {"/s 123", LaunchMode::RunFullScreen, 0, false},
        {"/sx", LaunchMode::RunFullScreen, 0, false},
        {"/s /p 123", LaunchMode::RunFullScreen, 0, false},
        {"/p 1234", LaunchMode::RunPreview, 1234, false},
        {"/P1234", LaunchMode::RunPreview, 1234, false},
        {"/l 1234", LaunchMode::RunPreview, 1234, false},
        {"p   1234", LaunchMode::RunPreview, 1234, false},
        {"/p", LaunchMode::RunPreview, 0, false},
        {"/p:1234", LaunchMode::RunPreview, 0, false},
        {"/p\t1234", LaunchMode::RunPreview, 0, false},
        {"/p 12ab", LaunchMode::RunPreview, 12, false},
        {"/p 4294967297", LaunchMode::RunPreview, 1, false},
        {"/c:1234", LaunchMode::Configure, 1234, true},
        {"/c 1234", LaunchMode::Configure, 0, true},
        {"/c", LaunchMode::Configure, 0, true},
        {"/c:0", LaunchMode::Configure, 0, true},
        {"/a 1234", LaunchMode::Reject, 0, false}, // not the Windows 9x family
        {"/\ts", LaunchMode::Reject, 0, false},
        {"/x", LaunchMode::Reject, 0, false},
        {"/?", LaunchMode::Reject, 0, false},
        {"7", LaunchMode::Reject, 0, false},
        {"/\xE9", LaunchMode::Reject, 0, false},
    };
    for (const Case& c : cases) {
        const LaunchRequest request = ParseLaunchCommand(c.tail, false);
        EXPECT_EQ(request.mode, c.mode) << "'" << c.tail << "'";
        EXPECT_EQ(request.windowNumber, c.number) << "'" << c.tail << "'";
        if (c.mode == LaunchMode::Configure) {
            EXPECT_EQ(request.ownerFallback, c.fallback) << "'" << c.tail << "'";
        }
    }
    const LaunchRequest change = ParseLaunchCommand("/a   1234", true);
    EXPECT_EQ(change.mode, LaunchMode::ChangePassword);
    EXPECT_EQ(change.windowNumber, 1234u);
}

TEST(Dismissal, InputAndSystemEventsThatCloseTheSaver) {
    struct Case {
        UINT message;
        WPARAM wParam;
        Dismissal expected;
    };
    const Case cases[] = {
        {WM_KEYDOWN, 'A', Dismissal::Close},       {WM_SYSKEYDOWN, 0x12, Dismissal::Close},
        {WM_LBUTTONDOWN, 1, Dismissal::Close},     {WM_RBUTTONDOWN, 2, Dismissal::Close},
        {WM_MBUTTONDOWN, 16, Dismissal::Close},    {WM_ACTIVATEAPP, 0, Dismissal::Close},
        {WM_POWERBROADCAST, 7, Dismissal::Close},  {WM_POWER, PWR_CRITICALRESUME, Dismissal::Close},
        {WM_POWER, 1, Dismissal::None},            {WM_ACTIVATEAPP, 1, Dismissal::None},
        {WM_KEYUP, 'A', Dismissal::None},          {WM_LBUTTONUP, 0, Dismissal::None},
        {WM_LBUTTONDBLCLK, 1, Dismissal::None},    {WM_MOUSEWHEEL, 120 << 16, Dismissal::None},
        {WM_CHAR, 'a', Dismissal::None},           {WM_SHOWWINDOW, 1, Dismissal::HideCursor},
        {WM_SHOWWINDOW, 0, Dismissal::None},       {WM_SETCURSOR, 0, Dismissal::HideCursorOnly},
        {WM_MOUSEMOVE, 0, Dismissal::MouseRule},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DismissalFor(c.message, c.wParam), c.expected) << std::hex << c.message;
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
    EXPECT_EQ(PrefilterFor(WM_SYSCOMMAND, SC_SCREENSAVE, false, false), Prefilter::Swallow);
    EXPECT_EQ(PrefilterFor(WM_SYSCOMMAND, SC_NEXTWINDOW, false, false), Prefilter::Swallow);
    EXPECT_EQ(PrefilterFor(WM_SYSCOMMAND, SC_SCREENSAVE + 1, false, false),
              Prefilter::PassToApplication); // the whole parameter is compared
    EXPECT_EQ(PrefilterFor(WM_SYSCOMMAND, SC_SCREENSAVE, true, false),
              Prefilter::PassToApplication);
    EXPECT_EQ(PrefilterFor(WM_SETTEXT, 0, true, false), Prefilter::Swallow);
    EXPECT_EQ(PrefilterFor(WM_HELP, 0, true, false), Prefilter::ForwardToParent);
    EXPECT_EQ(PrefilterFor(WM_CONTEXTMENU, 0, false, false), Prefilter::PassToApplication);
    EXPECT_EQ(PrefilterFor(WM_KEYDOWN, 0, false, true), Prefilter::DefaultOnly);
    EXPECT_EQ(PrefilterFor(WM_PAINT, 0, false, true), Prefilter::DefaultOnly);
    EXPECT_EQ(PrefilterFor(WM_TIMER, 0, false, true), Prefilter::Swallow);
    EXPECT_EQ(PrefilterFor(WM_TIMER, 0, false, false), Prefilter::YieldThenPass);
}

TEST(PasswordGate, HoldOffCountsFromTheEndOfTheLastDialogAcrossAWrap) {
    EXPECT_EQ(DecideClose(true, true, 5000, NeverVerified), CloseGate::Refuse);
    EXPECT_EQ(DecideClose(false, false, 5000, 4999), CloseGate::Allow);
    EXPECT_EQ(DecideClose(false, true, 5000, NeverVerified), CloseGate::Ask);
    EXPECT_EQ(DecideClose(false, true, 5199, 5000), CloseGate::Refuse);
    EXPECT_EQ(DecideClose(false, true, 5200, 5000), CloseGate::Ask);
    EXPECT_EQ(DecideClose(false, true, 50, 0xFFFFFFF0u), CloseGate::Refuse); // 66 ms, wrapped
    EXPECT_EQ(DecideClose(false, true, 200, 0xFFFFFFF0u), CloseGate::Ask);   // 216 ms
}
