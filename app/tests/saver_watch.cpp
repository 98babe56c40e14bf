// The end-to-end harness's eyes inside the saver's process: system-wide message hooks that the
// harness installs from this module, so the system loads it into the saver. They leave what the
// saver's window has taken from its queue in properties of that window, which the harness reads:
// "EpiphasePaints" counts the paints it took, "EpiphaseMove" holds the last pointer position it
// took (x << 16 | y, plus one). With $EPIPHASE_SLOW_CREATE set to a number of milliseconds, the
// window's creation is held that long between its naming (WM_NCCREATE) and WM_CREATE, where the
// saver reads its reference point: the harness must wait for creation to be over.

#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

bool IsSaverWindow(HWND window) {
    char name[64] = "";
    return window != nullptr && GetClassNameA(window, name, sizeof name) != 0 &&
           std::strcmp(name, "WindowsScreenSaverClass") == 0;
}

void AddOne(HWND window, const char* property) {
    const UINT_PTR count = reinterpret_cast<UINT_PTR>(GetPropA(window, property));
    SetPropA(window, property, reinterpret_cast<HANDLE>(count + 1));
}

} // namespace

// WH_GETMESSAGE: a message the saver's loop takes from its queue, just before it is dispatched.
extern "C" __declspec(dllexport) LRESULT CALLBACK
    WatchTakenMessage(int code, WPARAM removal, LPARAM message) {
    const MSG& taken = *reinterpret_cast<const MSG*>(message);
    if (code == HC_ACTION && removal == PM_REMOVE && IsSaverWindow(taken.hwnd)) {
        if (taken.message == WM_PAINT) {
            AddOne(taken.hwnd, "EpiphasePaints");
        } else if (taken.message == WM_MOUSEMOVE) {
            const UINT_PTR packed =
                (static_cast<UINT_PTR>(taken.pt.x) << 16 | (taken.pt.y & 0xFFFF)) + 1;
            SetPropA(taken.hwnd, "EpiphaseMove", reinterpret_cast<HANDLE>(packed));
        }
    }
    return CallNextHookEx(nullptr, code, removal, message);
}

// WH_CALLWNDPROC: a message sent to a window, before its procedure runs.
extern "C" __declspec(dllexport) LRESULT CALLBACK
    WatchSentMessage(int code, WPARAM sender, LPARAM message) {
    const CWPSTRUCT& sent = *reinterpret_cast<const CWPSTRUCT*>(message);
    char delay[16] = "";
    if (code == HC_ACTION && sent.message == WM_CREATE && IsSaverWindow(sent.hwnd) &&
        GetEnvironmentVariableA("EPIPHASE_SLOW_CREATE", delay, sizeof delay) != 0) {
        Sleep(static_cast<DWORD>(std::atoi(delay)));
    }
    return CallNextHookEx(nullptr, code, sender, message);
}
