// The real epiphase.scr from outside, as the display settings and a user would drive it: full
// screen, as a preview and behind the 9x password gate, watched through its windows, its pixels
// and what its message loop takes from its queue (saver_watch.dll).
// Usage: windows_e2e PATH-TO-epiphase.scr; prints a line per check, then "N passed, N failed".

#include "saver_watch.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

std::string saver;                      // path of the .scr under test
HMODULE watch = nullptr;                // saver_watch.dll
constexpr DWORD Rejected = 0xFFFFFFFFu; // the exit code -1

// Dispatches our own windows' messages until `done` or the time is up; whether `done`.
bool PumpUntil(DWORD milliseconds, const std::function<bool()>& done) {
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
void Pump(DWORD milliseconds) {
    PumpUntil(milliseconds, [] { return false; });
}
HWND WaitForWindow(const std::function<HWND()>& find) {
    HWND window = nullptr;
    PumpUntil(8000, [&] { return (window = find()) != nullptr; });
    return window;
}
HWND FullScreenSaver() {
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
std::string Shown(HWND window) {
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

bool FramesChange(HWND window) {
    const std::string first = Shown(window);
    return PumpUntil(5000, [&] { return Sleep(90), Shown(window) != first; }) && IsWindow(window);
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

// The full-screen saver once its creation is over. Its title comes with WM_NCCREATE, before
// WM_CREATE reads the pointer's reference point; it takes the foreground only after creation.
HWND ReadySaver() {
    const HWND window = WaitForWindow(FullScreenSaver);
    WaitForWindow([window] { return GetForegroundWindow() == window ? window : nullptr; });
    return window;
}

// How long the saver's window takes to be hidden from now (8 s at most): the first sign of its
// end. Wine then waits up to 2 s for a window manager to confirm the unmapping, and a virtual
// display has none, so the process ends later.
DWORD MillisecondsToHide(HWND window) {
    const DWORD start = GetTickCount();
    while (IsWindowVisible(window) && GetTickCount() - start < 8000) {
        Sleep(1);
    }
    return GetTickCount() - start;
}
// Input ends the saver at once, between paced frames too; the bound leaves room for a loaded
// machine (a frame lasts 17 ms; under Wine here the window was hidden within 2 ms of the input).
constexpr DWORD DismissalBound = 250;

// Once the saver has painted `paints` frames (false if its window went first).
bool PaintedFrames(HWND window, UINT_PTR paints) {
    PumpUntil(8000,
              [&] { return !IsWindow(window) || Watched(window, "EpiphasePaints") >= paints; });
    return IsWindow(window);
}

// Moves the pointer and waits until the saver has handled the move: its loop took the move, then
// a paint, which comes only when nothing else is queued (a close request the move caused
// included). False when its window went instead.
bool MoveHandled(HWND window, int x, int y) {
    SetCursorPos(x, y);
    const UINT_PTR move = (static_cast<UINT_PTR>(x) << 16 | static_cast<UINT_PTR>(y)) + 1;
    bool seen = false;
    PumpUntil(8000, [&] {
        return !IsWindow(window) || (seen = Watched(window, "EpiphaseMove") == move);
    });
    return seen && PaintedFrames(window, Watched(window, "EpiphasePaints") + 1);
}

void FullScreen(const char* how) {
    SetCursorPos(400, 300);
    Run run("/s");
    const HWND window = ReadySaver();
    Check(window != nullptr,
          (std::string("/s shows a WindowsScreenSaverClass window titled Screen Saver") + how)
              .c_str());
    Check(MoveHandled(window, 403, 300) && run.ExitCode(0) == STILL_ACTIVE,
          "a cursor move of 3 pixels leaves it running");
    SetCursorPos(405, 300);
    const DWORD hidden = MillisecondsToHide(window);
    Check(run.ExitCode() == 0 && hidden <= DismissalBound,
          ("a further 2 pixels end it with exit code 0, its window hidden " +
           std::to_string(hidden) + " ms later")
              .c_str());
}

// The same with the window's creation slowed between its naming and WM_CREATE: a harness that
// moved the pointer as soon as it found the window would move the saver's reference point.
// Only here: under Wine, with such a hook an exception in the handler of a sent message no
// longer ends the process.
void FullScreenSlowlyCreated() {
    const HHOOK slowing = WatchEverywhere(watch, WH_CALLWNDPROC, "WatchSentMessage");
    SetEnvironmentVariableA("EPIPHASE_SLOW_CREATE", "30");
    FullScreen(", also when its creation takes 30 ms longer");
    SetEnvironmentVariableA("EPIPHASE_SLOW_CREATE", nullptr);
    UnhookWindowsHookEx(slowing);
}

// One frame per display refresh, counted over three seconds, and a key taken at once between
// frames.
void PacedFrames() {
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    const DWORD reported =
        EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode) ? mode.dmDisplayFrequency : 0;
    const double hertz = reported > 1 ? reported : 60;
    Run run("/s");
    const HWND window = ReadySaver();
    PaintedFrames(window, 1);
    const UINT_PTR first = Watched(window, "EpiphasePaints");
    const DWORD start = GetTickCount();
    Pump(3000);
    const double rate =
        (Watched(window, "EpiphasePaints") - first) * 1000.0 / (GetTickCount() - start);
    char line[160];
    std::snprintf(line, sizeof line,
                  "/s draws one frame per display refresh at most: %.1f frames/s at %.0f Hz", rate,
                  hertz);
    Check(rate <= hertz * 1.05, line);
    Key(VK_SPACE);
    const DWORD hidden = MillisecondsToHide(window);
    Check(run.ExitCode() == 0 && hidden <= DismissalBound,
          ("a key between paced frames ends it with 0, its window hidden " +
           std::to_string(hidden) + " ms later")
              .c_str());
}

void Preview() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "DisplaySettingsPreview";
    RegisterClassA(&windowClass);
    const HWND dialog = CreateWindowExA(0, "DisplaySettingsPreview", "Display settings",
                                        WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 400, 300, nullptr,
                                        nullptr, windowClass.hInstance, nullptr);
    const HWND monitor =
        CreateWindowExA(0, "DisplaySettingsPreview", "", WS_CHILD | WS_VISIBLE, 100, 60, 152, 112,
                        dialog, nullptr, windowClass.hInstance, nullptr);
    Run run("/p " + std::to_string(reinterpret_cast<UINT_PTR>(monitor)));
    // Visible: its creation is over, so the parent's end reaches a running preview.
    const HWND window = WaitForWindow([monitor] {
        const HWND child = FindWindowExA(monitor, nullptr, "WindowsScreenSaverClass", "Preview");
        return IsWindowVisible(child) ? child : nullptr;
    });
    Check(window != nullptr, "/p makes a Preview child in the given window");
    // Wine shows no child window painted by another process: the native tests prove the drawing.
    DestroyWindow(dialog);
    Check(run.ExitCode() == 0, "destroying the parent ends the preview with 0");
}

// The icon and version record the installer and the file's properties show.
void Resources() {
    const HMODULE file = LoadLibraryExA(saver.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    const bool icon =
        FindResourceA(file, "ID_APP", MAKEINTRESOURCEA(14)) != nullptr; // RT_GROUP_ICON
    FreeLibrary(file);
    std::vector<char> record(GetFileVersionInfoSizeA(saver.c_str(), nullptr) + 1);
    char* name = nullptr;
    UINT length = 0;
    const bool version =
        GetFileVersionInfoA(saver.c_str(), 0, static_cast<DWORD>(record.size()), record.data()) &&
        VerQueryValueA(record.data(), "\\StringFileInfo\\040904B0\\FileDescription",
                       reinterpret_cast<void**>(&name), &length) &&
        std::string(name) == "Epiphase";
    Check(icon && version, "the .scr carries the icon ID_APP and the version record of Epiphase");
}

BOOL CALLBACK ListType(HMODULE, LPSTR type, LONG_PTR types) {
    reinterpret_cast<std::vector<UINT_PTR>*>(types)->push_back(reinterpret_cast<UINT_PTR>(type));
    return TRUE;
}

// The compatibility list of an activation context as Wine and Windows 10 (1903 on) return it:
// each entry with the highest version tested, which this toolchain's headers lack.
struct CompatibilityElement {
    GUID id;
    DWORD type;
    ULONGLONG maxVersionTested;
};
struct CompatibilityInformation {
    DWORD count;
    CompatibilityElement elements[8];
};

// The application manifest as the system reads it when it starts the .scr (Wine's own parser):
// system DPI awareness and the systems from Vista to 11; no resource besides it, the icon and
// the version record.
void Manifest() {
    ACTCTXA request{};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = saver.c_str();
    request.lpResourceName = MAKEINTRESOURCEA(1);
    const HANDLE context = CreateActCtxA(&request);
    wchar_t dpiAware[32] = L"";
    SIZE_T written = 0;
    const bool aware =
        context != INVALID_HANDLE_VALUE &&
        QueryActCtxSettingsW(0, context, nullptr, L"dpiAware", dpiAware, 32, &written) &&
        std::wstring(dpiAware) == L"true";
    CompatibilityInformation compatibility{};
    std::vector<std::string> systems;
    if (context != INVALID_HANDLE_VALUE &&
        QueryActCtxW(0, context, nullptr, CompatibilityInformationInActivationContext,
                     &compatibility, sizeof compatibility, nullptr)) {
        for (DWORD i = 0; i < compatibility.count && i < 8; ++i) {
            char text[16];
            std::snprintf(text, sizeof text, "%08lx",
                          static_cast<unsigned long>(compatibility.elements[i].id.Data1));
            systems.push_back(text);
        }
    }
    ReleaseActCtx(context);
    // Vista, 7, 8, 8.1, 10 and 11, by the first part of each one's identifier.
    const std::vector<std::string> expected{"e2011457", "35138b9a", "4a2f28e3", "1f676c76",
                                            "8e0f7a12"};
    const HMODULE file = LoadLibraryExA(saver.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    std::vector<UINT_PTR> types;
    EnumResourceTypesA(file, ListType, reinterpret_cast<LONG_PTR>(&types));
    FreeLibrary(file);
    std::sort(types.begin(), types.end());
    const std::vector<UINT_PTR> expectedTypes{3, 14, 16, 24}; // icon, group icon, version, manifest
    Check(aware && systems == expected && types == expectedTypes,
          "its manifest declares system DPI awareness and Windows Vista to 11; besides it only "
          "the icon and the version record");
}

// The Windows 9x family's password services, played by password_services.dll: it records each
// load and call in record.txt and waits for answer.txt (both in `services`) to end its dialog.
std::string services, module, directory; // directory: where the .scr is
const std::string PasswordOn("\1\0\0\0", 4);

std::string SystemFile(const char* name) {
    char path[MAX_PATH] = "";
    GetSystemDirectoryA(path, MAX_PATH);
    return std::string(path) + "\\" + name;
}
std::string Services(const char* name) {
    return services + "\\" + name;
}

// A value under HKEY_CURRENT_USER; empty data removes it.
void SetValue(const char* key, const char* name, DWORD type, const std::string& data) {
    HKEY handle = nullptr;
    RegCreateKeyA(HKEY_CURRENT_USER, key, &handle);
    if (data.empty()) {
        RegDeleteValueA(handle, name);
    } else {
        RegSetValueExA(handle, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                       static_cast<DWORD>(data.size()));
    }
    RegCloseKey(handle);
}
// Wine's settings for epiphase.scr alone.
void Family9x(bool on) {
    SetValue("Software\\Wine\\AppDefaults\\epiphase.scr", "Version", REG_SZ,
             on ? std::string("win98", 6) : "");
}
void Password(const std::string& data) {
    SetValue("Control Panel\\Desktop", "ScreenSaveUsePassword",
             data.size() == 4 ? REG_DWORD : REG_BINARY, data);
}

// The rest of each recorded line that begins with `word`, once there are `atLeast` (8 s at most).
std::vector<std::string> Recorded(const std::string& word, std::size_t atLeast = 0) {
    std::vector<std::string> found;
    PumpUntil(8000, [&] {
        found.clear();
        std::ifstream record(Services("record.txt"));
        for (std::string line; std::getline(record, line);) {
            if (line.rfind(word + " ", 0) == 0) {
                found.push_back(line.substr(word.size() + 1));
            }
        }
        return found.size() >= atLeast;
    });
    return found;
}
void Fresh() { // a new record, no answer pending
    DeleteFileA(Services("record.txt").c_str());
    DeleteFileA(Services("answer.txt").c_str());
}
void Answer(const char* answer) {
    std::ofstream(Services("answer.txt")) << answer;
}
unsigned long Tick(const std::string& recorded) {
    return std::stoul(recorded.substr(recorded.find(' ')));
}
std::string Number(HWND window) {
    return std::to_string(reinterpret_cast<UINT_PTR>(window));
}

// Presses a key once the saver is in front and has drawn.
HWND StartAndPress() {
    const HWND window = ReadySaver();
    PaintedFrames(window, 1);
    Key(VK_SPACE);
    return window;
}

// 9x, password 1. First a minute of /s: the GDI objects and windows of the saver's process,
// counted inside it by the services module between frames (Wine's GetGuiResources answers 0),
// stay as after the first frame.
void PasswordGate() {
    Password(PasswordOn);
    Fresh();
    SetEnvironmentVariableA("EPIPHASE_SAMPLE_OBJECTS", "1");
    Run run("/s");
    SetEnvironmentVariableA("EPIPHASE_SAMPLE_OBJECTS", nullptr);
    // The first sample taken once the first frame is over (the second paint is taken).
    PaintedFrames(ReadySaver(), 2);
    const std::size_t first = Recorded("objects").size();
    Recorded("objects", first + 1);
    Pump(60000);
    const std::vector<std::string> counts = Recorded("objects");
    Check(counts.size() >= first + 50 &&
              std::count(counts.begin() + first, counts.end(), counts[first]) ==
                  static_cast<long>(counts.size() - first),
          ("/s for 60 s: GDI objects and windows constant after the first frame (" +
           (counts.empty() ? "" : counts.back()) + ")")
              .c_str());
    const HWND window = StartAndPress();
    const std::vector<std::string> asked = Recorded("verify", 1), loaded = Recorded("load");
    Check(asked.size() == 1 && asked[0].rfind(Number(window) + " ", 0) == 0 && loaded.size() == 1 &&
              _stricmp(loaded[0].c_str(), SystemFile("PASSWORD.CPL").c_str()) == 0,
          "9x, password 1: input under /s asks VerifyScreenSavePwd of the system's PASSWORD.CPL "
          "for the saver window");
    Check(FramesChange(window) && run.ExitCode(0) == STILL_ACTIVE,
          "the saver draws on while the password dialog is up");
    Answer("0");
    Recorded("answer", 1);
    CURSORINFO cursor{};
    cursor.cbSize = sizeof cursor;
    PumpUntil(8000, [&] { return GetCursorInfo(&cursor) && cursor.hCursor == nullptr; });
    Check(FramesChange(window) && run.ExitCode(0) == STILL_ACTIVE && cursor.hCursor == nullptr,
          "a refused password keeps it running and drawing, the cursor hidden again");
    Key(VK_SPACE);
    Recorded("verify", 2);
    Answer("0");
    Recorded("answer", 2);
    Key(VK_SPACE); // within 200 ms after the dialog ended, unless this machine is slow
    Pump(1000);
    Key(VK_SPACE);
    const std::vector<std::string> asks = Recorded("verify", 3);
    Pump(500);
    Check(Recorded("verify").size() == 3 && Tick(asks[2]) - Tick(Recorded("answer")[1]) >= 200,
          "input within 200 ms after a dialog is ignored, later input asks again");
    Answer("1");
    Check(run.ExitCode() == 0, "an accepted password ends it with 0");
    Run dying("/s");
    StartAndPress();
    Answer("x");
    BOOL running = TRUE;
    Check(dying.ExitCode() == 0xE0000001u &&
              SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0) && !running,
          "an exception in the dialog ends /s with its code, the saver-running state off");
}

// A screen at 144 DPI (150%), as the services module sees it inside the saver's process: the
// saver is DPI-aware by its manifest and covers the screen in its real pixels, as this harness
// (started at 96 DPI) measures them.
void HighDpi() {
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SetValue("Control Panel\\Desktop", "LogPixels", REG_DWORD, std::string("\x90\0\0\0", 4));
    Password(PasswordOn);
    Fresh();
    Run run("/s");
    const HWND window = StartAndPress();
    RECT covered{};
    GetWindowRect(window, &covered);
    const std::vector<std::string> seen = Recorded("dpi", 1);
    Check(seen == std::vector<std::string>{"144 aware"} && EqualRect(&covered, &screen),
          ("at 144 DPI /s is DPI-aware and covers the whole screen in real pixels (" +
           (seen.empty() ? "" : seen[0]) + ", " + std::to_string(covered.right - covered.left) +
           "x" + std::to_string(covered.bottom - covered.top) + ")")
              .c_str());
    Recorded("verify", 1);
    Answer("1");
    Check(run.ExitCode() == 0, "and ends as ever");
    SetValue("Control Panel\\Desktop", "LogPixels", REG_DWORD, "");
}

// Each case: the family, the setting, a system module moved from the system directory to beside
// the .scr, the command line (/s: a key is pressed, an accepted password if asked), the exit
// code, whether a password is asked, the PwdChangePasswordA call expected.
void PasswordCases() {
    const HWND foreground = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                            nullptr, nullptr, nullptr, nullptr);
    const HWND other = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 60, 0, 50, 50,
                                       nullptr, nullptr, nullptr, nullptr);
    struct Case {
        bool family9x;
        std::string setting;
        const char* missing;
        std::string arguments;
        DWORD exitCode;
        bool asks;
        std::string change;
        const char* what;
    };
    const std::string named = "/a " + Number(other), off(4, '\0'), none;
    const std::string changeOther = "SCRSAVE " + Number(other) + " 0 0";
    for (const Case& c :
         {Case{true, off, nullptr, "/s", 0, false, none,
               "9x, password 0: input ends /s with 0, PASSWORD.CPL never loaded"},
          Case{true, none, nullptr, "/s", 0, false, none, "9x, password setting absent: the same"},
          Case{true, "\1", nullptr, "/s", 0, true, none,
               "9x, password stored as the single byte 1: required, and accepted ends with 0"},
          Case{true, PasswordOn, "password.cpl", "/s", 0, false, none,
               "9x, password 1, PASSWORD.CPL only beside the .scr: never loaded, input ends /s"},
          Case{false, PasswordOn, nullptr, "/s", 0, false, none,
               "NT family, password 1: input ends /s with 0, no password module loaded"},
          Case{true, none, nullptr, named, 0, false, changeOther,
               "9x: /a HWND calls PwdChangePasswordA(\"SCRSAVE\", HWND, 0, 0), exits with 0"},
          Case{true, none, nullptr, "/a 1234", 0, false, "SCRSAVE " + Number(foreground) + " 0 0",
               "9x: /a with no such window passes the foreground window"},
          Case{true, none, "mpr.dll", named, 0, false, none,
               "9x: /a with MPR.DLL only beside the .scr exits with 0, never loads it"},
          Case{false, none, nullptr, named, Rejected, false, none,
               "NT family: /a exits with -1, MPR.DLL never loaded"}}) {
        Family9x(c.family9x);
        Password(c.setting);
        if (c.missing != nullptr) {
            MoveFileA(SystemFile(c.missing).c_str(), Services(c.missing).c_str());
            CopyFileA(module.c_str(), (directory + c.missing).c_str(), FALSE);
        }
        SetForegroundWindow(foreground);
        WaitForWindow(
            [foreground] { return GetForegroundWindow() == foreground ? foreground : nullptr; });
        Fresh();
        Run run(c.arguments);
        if (c.arguments == "/s") {
            StartAndPress();
        }
        if (c.asks) {
            Recorded("verify", 1);
            Answer("1");
        }
        const std::size_t changes = !c.change.empty();
        Check(run.ExitCode() == c.exitCode && Recorded("verify").size() == c.asks &&
                  Recorded("change") == std::vector<std::string>(changes, c.change) &&
                  Recorded("load").size() == c.asks + changes,
              c.what);
        if (c.missing != nullptr) {
            DeleteFileA((directory + c.missing).c_str());
            MoveFileA(Services(c.missing).c_str(), SystemFile(c.missing).c_str());
        }
    }
    Family9x(true);
    DestroyWindow(foreground);
    DestroyWindow(other);
}

// The 9x family for epiphase.scr, its password services installed in the system directory (the
// stand-in MPR.DLL chosen over Wine's own for epiphase.scr alone), all undone afterwards.
void PasswordScenarios() {
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    services = std::string(temp) + "epiphase-services";
    CreateDirectoryA(services.c_str(), nullptr);
    SetEnvironmentVariableA("EPIPHASE_SERVICES_DIR", services.c_str());
    directory = saver.substr(0, saver.find_last_of("\\/") + 1);
    module = directory + "password_services.dll";
    MoveFileA(SystemFile("mpr.dll").c_str(), Services("mpr.dll.wine").c_str());
    CopyFileA(module.c_str(), SystemFile("mpr.dll").c_str(), FALSE);
    CopyFileA(module.c_str(), SystemFile("password.cpl").c_str(), FALSE);
    const char* const overrides = "Software\\Wine\\AppDefaults\\epiphase.scr\\DllOverrides";
    SetValue(overrides, "mpr", REG_SZ, std::string("native", 7));
    Family9x(true);
    PasswordGate();
    HighDpi();
    PasswordCases();
    Family9x(false);
    SetValue(overrides, "mpr", REG_SZ, "");
    Password("");
    DeleteFileA(SystemFile("password.cpl").c_str());
    DeleteFileA(SystemFile("mpr.dll").c_str());
    MoveFileA(Services("mpr.dll.wine").c_str(), SystemFile("mpr.dll").c_str());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: windows_e2e PATH-TO-epiphase.scr\n");
        return 2;
    }
    saver = argv[1];
    watch = LoadSaverWatch(saver);
    if (WatchEverywhere(watch, WH_GETMESSAGE, "WatchTakenMessage") == nullptr) {
        std::fprintf(stderr, "windows_e2e: cannot watch the saver's messages (saver_watch.dll)\n");
        return 2;
    }
    FullScreen("");
    FullScreenSlowlyCreated();
    PacedFrames();
    Preview();
    Resources();
    Manifest();
    PasswordScenarios();
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
