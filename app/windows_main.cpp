// The Windows program's entry: the raw command line in, the mode's result out as exit code.

#include "app/windows_clock.h"
#include "host/command_line.h"
#include "host/saver_host.h"
#include "platform/api.h"

namespace {

const char* Step(const char* text) { return CharNextA(text); }

// An exception no mode handled: the system asks this filter only when it will end the process
// (not under a debugger). The saver-running state must not outlive the saver; the process then
// ends with the exception code as its exit code, and nothing is shown.
LONG WINAPI EscapedException(EXCEPTION_POINTERS*) {
    SetSaverRunning(false);
    return EXCEPTION_EXECUTE_HANDLER;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    UseWindowsClock();
    const char* tail = SkipProgramName(GetCommandLineA(), Step);
    // The show command is read as Windows hands it over, but the saver window is visible by its
    // style and no mode uses it.
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    SetUnhandledExceptionFilter(EscapedException);
    ExitProcess(static_cast<UINT>(HostMain(GetModuleHandleA(nullptr), tail)));
}
