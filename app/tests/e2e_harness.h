#pragma once

// The end-to-end harness's common ground: the saver under test, its processes, waits for its
// windows and frames, input, and the tally of checks.

#include "saver_watch.h"

#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>

inline std::string saver;               // path of the .scr under test
inline HMODULE watch = nullptr;         // saver_watch.dll
constexpr DWORD Rejected = 0xFFFFFFFFu; // the exit code -1

// Dispatches our own windows' messages until `done` or the time is up; whether `done`.
inline bool PumpUntil(DWORD milliseconds, const std::function<bool()>& done) {
    for (const DWORD deadline = GetTickCount() + milliseconds;; Sleep(10)) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&msg);
        }
        if (done()) {
            return true;
        }
        if (static_cast<LONG>(deadline - GetTickCount()) <= 0) {
            return false;
        }
    }
}
inline void Pump(DWORD milliseconds) {
    PumpUntil(milliseconds, [] { return false; });
}
inline HWND WaitForWindow(const std::function<HWND()>& find) {
    HWND window = nullptr;
    PumpUntil(8000, [&] { return (window = find()) != nullptr; });
    return window;
}
inline HWND FullScreenSaver() {
    return FindWindowA("WindowsScreenSaverClass", "Screen Saver");
}

struct Run {
    PROCESS_INFORMATION process{};
    explicit Run(const std::string& arguments) {
        std::string command = "\"" + saver + "\" " + arguments;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &process);
    }
    ~Run() {
        if (ExitCode(0) == STILL_ACTIVE) {
            TerminateProcess(process.hProcess, 99);
            WaitForSingleObject(process.hProcess, 5000);
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    // The exit code once the process ended within `milliseconds`, else STILL_ACTIVE.
    DWORD ExitCode(DWORD milliseconds = 8000) {
        PumpUntil(milliseconds,
                  [this] { return WaitForSingleObject(process.hProcess, 10) == WAIT_OBJECT_0; });
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process.hProcess, &code);
        return code;
    }
};

// What the screen shows inside a window.
inline std::string Shown(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    const HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    std::string pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 0);
    GetBitmapBits(bitmap, static_cast<LONG>(pixels.size()), pixels.data());
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

inline bool FramesChange(HWND window) {
    const std::string first = Shown(window);
    return PumpUntil(5000, [&] { return Sleep(90), Shown(window) != first; }) && IsWindow(window);
}

inline int passed = 0, failed = 0;
inline void Check(bool condition, const char* what) {
    std::printf("%s: %s\n", condition ? "ok" : "FAILED", what);
    (condition ? passed : failed) += 1;
}

inline void Key(WORD key) {
    keybd_event(static_cast<BYTE>(key), 0, 0, 0);
    keybd_event(static_cast<BYTE>(key), 0, KEYEVENTF_KEYUP, 0);
}

// The full-screen saver once its creation is over. Its title comes with WM_NCCREATE, before
// WM_CREATE reads the pointer's reference point; it takes the foreground only after creation.
inline HWND ReadySaver() {
    const HWND window = WaitForWindow(FullScreenSaver);
    WaitForWindow([window] { return GetForegroundWindow() == window ? window : nullptr; });
    return window;
}

// How long the saver's window takes to be hidden from now (8 s at most): the first sign of its
// end. Wine then waits up to 2 s for a window manager to confirm the unmapping, and a virtual
// display has none, so the process ends later.
inline DWORD MillisecondsToHide(HWND window) {
    const DWORD start = GetTickCount();
    while (IsWindowVisible(window) && GetTickCount() - start < 8000) {
        Sleep(1);
    }
    return GetTickCount() - start;
}
// Input ends the saver at once, between paced frames too; the bound leaves room for a loaded
// machine (a frame lasts 17 ms; under Wine here the window was hidden 1 to 19 ms after input).
constexpr DWORD DismissalBound = 250;

// The input just given ends the saver with 0, its window hidden within the bound.
inline void CheckEndsAtOnce(Run& run, HWND window, const std::string& what) {
    const DWORD hidden = MillisecondsToHide(window);
    Check(run.ExitCode() == 0 && hidden <= DismissalBound,
          (what + ", its window hidden " + std::to_string(hidden) + " ms later").c_str());
}

// Once the saver has painted `paints` frames (false if its window went first).
inline bool PaintedFrames(HWND window, UINT_PTR paints) {
    PumpUntil(8000,
              [&] { return !IsWindow(window) || Watched(window, "EpiphasePaints") >= paints; });
    return IsWindow(window);
}

// The 9x family's password gate, with stand-ins of its services (windows_e2e_password.cpp).
void PasswordScenarios();
