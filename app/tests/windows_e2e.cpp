// The real epiphase.scr from outside, as the display settings and a user would drive it:
// launched with each command line, watched through its windows and pixels, ended by real input.
// Usage: windows_e2e PATH-TO-epiphase.scr; prints "N passed, N failed".

#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

std::string saver; // path of the .scr under test
constexpr DWORD Rejected = 0xFFFFFFFFu;
constexpr DWORD StillRunning = STILL_ACTIVE;

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
        if (ExitCode(0) == StillRunning) {
            TerminateProcess(process.hProcess, 99);
            WaitForSingleObject(process.hProcess, 5000);
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    // The exit code once the process ended within `milliseconds`, else STILL_ACTIVE.
    DWORD ExitCode(DWORD milliseconds = 8000) {
        const DWORD deadline = GetTickCount() + milliseconds;
        do {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) { // our own windows live on
                DispatchMessageA(&msg);
            }
            if (WaitForSingleObject(process.hProcess, 20) == WAIT_OBJECT_0) {
                break;
            }
        } while (static_cast<LONG>(deadline - GetTickCount()) > 0);
        DWORD code = StillRunning;
        GetExitCodeProcess(process.hProcess, &code);
        return code;
    }
};

void Pump(DWORD milliseconds) {
    const DWORD deadline = GetTickCount() + milliseconds;
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&msg);
        }
        Sleep(10);
    } while (static_cast<LONG>(deadline - GetTickCount()) > 0);
}

HWND WaitForWindow(const std::function<HWND()>& find) {
    for (int attempt = 0; attempt < 300; ++attempt) {
        if (const HWND window = find()) {
            return window;
        }
        Pump(20);
    }
    return nullptr;
}

HWND FullScreenSaver() { return FindWindowA("WindowsScreenSaverClass", "Screen Saver"); }

// A checksum of what the screen shows inside a window.
unsigned long long Shown(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    unsigned long long sum = 0;
    const auto* pixels = static_cast<const unsigned*>(bits);
    for (int i = 0; i < width * height; ++i) {
        sum = sum * 1099511628211ull + pixels[i];
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return sum;
}

bool FramesChange(HWND window) {
    const unsigned long long first = Shown(window);
    for (int attempt = 0; attempt < 50; ++attempt) {
        Pump(100);
        if (Shown(window) != first) {
            return true;
        }
    }
    return false;
}

// True when the process uses at least a quarter of a second of processor time in a second.
bool KeepsWorking(HANDLE process) {
    const auto used = [process] {
        FILETIME created, exited, kernel, user;
        GetProcessTimes(process, &created, &exited, &kernel, &user);
        return (static_cast<unsigned long long>(user.dwHighDateTime) << 32 | user.dwLowDateTime) +
               (static_cast<unsigned long long>(kernel.dwHighDateTime) << 32 | kernel.dwLowDateTime);
    };
    const unsigned long long before = used();
    Pump(1000);
    return used() - before >= 2500000; // 100 ns units
}

int passed = 0, failed = 0;
void Check(bool condition, const char* what) {
    std::printf("%s: %s\n", condition ? "ok" : "FAILED", what);
    (condition ? passed : failed) += 1;
}

void Key(WORD key) {
    keybd_event(static_cast<BYTE>(key), 0, 0, 0);
    keybd_event(static_cast<BYTE>(key), 0, KEYEVENTF_KEYUP, 0);
}

std::vector<std::pair<UINT, WPARAM>> parentMessages;
LRESULT CALLBACK Recorder(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HELP || message == WM_CONTEXTMENU) {
        parentMessages.push_back({message, wParam});
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void FullScreen() {
    SetCursorPos(400, 300);
    Pump(200);
    Run run("/s");
    const HWND window = WaitForWindow(FullScreenSaver);
    Check(window != nullptr, "/s shows a WindowsScreenSaverClass window titled Screen Saver");
    if (window == nullptr) {
        return;
    }
    RECT rect{};
    GetWindowRect(window, &rect);
    Check(rect.left == GetSystemMetrics(SM_XVIRTUALSCREEN) &&
              rect.right - rect.left == GetSystemMetrics(SM_CXVIRTUALSCREEN) &&
              rect.bottom - rect.top == GetSystemMetrics(SM_CYVIRTUALSCREEN),
          "/s covers the virtual screen");
    Check((GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, "/s is topmost");
    Check(FramesChange(window), "/s paints frames");
    SetCursorPos(403, 300);
    Pump(600);
    Check(run.ExitCode(0) == StillRunning, "a cursor move of 3 pixels leaves it running");
    SetCursorPos(405, 300);
    Check(run.ExitCode() == 0, "a further 2 pixels end it with exit code 0");
}

void FullScreenEndsOn(const char* what, const std::function<void()>& input) {
    Run run("/s");
    const HWND window = WaitForWindow(FullScreenSaver);
    Pump(500);
    input();
    Check(window != nullptr && run.ExitCode() == 0, what);
}

void SecondFullScreen() {
    Run first("/s");
    const HWND window = WaitForWindow(FullScreenSaver);
    Pump(300);
    Run second("/s");
    Check(second.ExitCode() == 0, "a second /s returns 0 at once");
    Check(first.ExitCode(0) == StillRunning && GetForegroundWindow() == window,
          "the first saver runs on, in front");
    PostMessageA(window, WM_CLOSE, 0, 0);
    Check(first.ExitCode() == 0, "a close request ends the first with 0");
}

void Preview() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = Recorder;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "DisplaySettingsPreview";
    RegisterClassA(&windowClass);
    const HWND dialog = CreateWindowExA(0, "DisplaySettingsPreview", "Display settings",
                                        WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 400, 300,
                                        nullptr, nullptr, windowClass.hInstance, nullptr);
    const HWND monitor = CreateWindowExA(0, "DisplaySettingsPreview", "", WS_CHILD | WS_VISIBLE,
                                         100, 60, 152, 112, dialog, nullptr,
                                         windowClass.hInstance, nullptr);
    Pump(300);
    Run run("/p " + std::to_string(reinterpret_cast<UINT_PTR>(monitor)));
    const HWND window = WaitForWindow([monitor] {
        return FindWindowExA(monitor, nullptr, "WindowsScreenSaverClass", "Preview");
    });
    Check(window != nullptr, "/p makes a Preview child in the given window");
    if (window != nullptr) {
        RECT client{};
        GetClientRect(window, &client);
        Check(client.right == 152 && client.bottom == 112, "the preview fills its parent");
        // Under Wine a saver inside another process's window is sent paint after paint, but
        // does almost no work and nothing reaches the screen (inside a window of its own process
        // the same saver draws ~950 frames a second); reported, not counted, until it can be
        // checked against Windows itself.
        std::printf("reported: the preview %s (Wine, window of another process)\n",
                    KeepsWorking(run.process.hProcess) ? "keeps drawing"
                                                        : "uses almost no processor time");
        RECT rect{};
        GetWindowRect(window, &rect);
        SetCursorPos(rect.left + 10, rect.top + 10);
        Pump(200);
        SetCursorPos(rect.left + 60, rect.top + 50);
        Key(VK_SPACE);
        Pump(500);
        Check(run.ExitCode(0) == StillRunning, "input does not end the preview");
        // WM_HELP carries a pointer and cannot be posted between processes; its twin
        // WM_CONTEXTMENU takes the same path through the saver.
        PostMessageA(window, WM_CONTEXTMENU, 0, MAKELPARAM(5, 6));
        Pump(500);
        Check(parentMessages.size() == 1 && parentMessages[0].first == WM_CONTEXTMENU &&
                  parentMessages[0].second == reinterpret_cast<WPARAM>(monitor),
              "a context-menu request is forwarded to the parent with the parent's handle");
    }
    DestroyWindow(dialog);
    Check(run.ExitCode() == 0, "destroying the parent ends the preview with 0");
}

void Rejections() {
    for (const char* arguments : {"/p 1234", "/p:1234", "/x", "/?", "/\ts", "/c", "", "/a 1234"}) {
        Run run(arguments);
        bool windowSeen = false;
        DWORD code = StillRunning;
        for (int attempt = 0; attempt < 400 && code == StillRunning; ++attempt) {
            windowSeen = windowSeen || FindWindowA("WindowsScreenSaverClass", nullptr) != nullptr;
            code = run.ExitCode(20);
        }
        Check(code == Rejected && !windowSeen,
              ("'" + std::string(arguments) + "' exits with -1 and shows nothing").c_str());
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: windows_e2e PATH-TO-epiphase.scr\n");
        return 2;
    }
    saver = argv[1];
    FullScreen();
    FullScreenEndsOn("a key press ends /s with 0", [] { Key(VK_SPACE); });
    FullScreenEndsOn("a mouse-button press ends /s with 0", [] {
        mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
        mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    });
    SecondFullScreen();
    Preview();
    Rejections();
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
