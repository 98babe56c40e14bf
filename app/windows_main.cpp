// The Windows program's entry: the raw command line in, the mode's result out as exit code. The
// screen saver carries no C run-time: the system's loader calls this entry directly.

#include "app/windows_clock.h"
#include "host/command_line.h"
#include "host/saver_host.h"
#include "platform/api.h"
#include "platform/arithmetic.h"
#include "platform/win32/program_start.h"

namespace {

const char* Step(const char* text) {
    return CharNextA(text);
}

// An exception no mode handled: the system asks this filter only when it will end the process
// (not under a debugger). The saver-running state must not outlive the saver; the process then
// ends with the exception code as its exit code, and nothing is shown.
LONG WINAPI EscapedException(EXCEPTION_POINTERS*) {
    SetSaverRunning(false);
    return EXCEPTION_EXECUTE_HANDLER;
}

} // namespace

// The real clock's counter until the entry names the performance counter, which it does before
// any static constructor reads the clock (model/clock.h).
std::int64_t StartupMicroseconds() {
    return std::int64_t{GetTickCount()} * 1000;
}

extern "C" [[noreturn]] void WinMainCRTStartup() {
    // First of all: the static constructors allocate, and a failure there must end as any other.
    SetUnhandledExceptionFilter(EscapedException);
    UseDoubleArithmetic();
    UseWindowsClock();
    RunStaticConstructors();
    const char* tail = SkipProgramName(GetCommandLineA(), Step);
    // The show command is read as Windows hands it over, but the saver window is visible by its
    // style and no mode uses it.
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    ExitProcess(static_cast<UINT>(HostMain(GetModuleHandleA(nullptr), tail)));
}
