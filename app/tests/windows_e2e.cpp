// The real epiphase.scr from outside, as the display settings and a user would drive it: full
// screen, as a preview and behind the 9x password gate, watched through its windows and pixels.
// Usage: windows_e2e PATH-TO-epiphase.scr; prints a line per check, then "N passed, N failed".

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

std::string saver; // path of the .scr under test

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

void FullScreen() {
    SetCursorPos(400, 300);
    Pump(200);
    Run run("/s");
    Check(WaitForWindow(FullScreenSaver) != nullptr,
          "/s shows a WindowsScreenSaverClass window titled Screen Saver");
    SetCursorPos(403, 300);
    Pump(600);
    Check(run.ExitCode(0) == STILL_ACTIVE, "a cursor move of 3 pixels leaves it running");
    SetCursorPos(405, 300);
    Check(run.ExitCode() == 0, "a further 2 pixels end it with exit code 0");
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
    Pump(300);
    Run run("/p " + std::to_string(reinterpret_cast<UINT_PTR>(monitor)));
    const HWND window = WaitForWindow([monitor] {
        return FindWindowExA(monitor, nullptr, "WindowsScreenSaverClass", "Preview");
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

// The Windows 9x family's password services: password_services.dll, installed as the system's
// PASSWORD.CPL, records each load and call in record.txt and ends its dialog on answer.txt.
std::string services; // the folder of both files

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
// Wine reports the 9x family to epiphase.scr alone; the password setting is on or absent.
void Family9xWithPassword(bool on) {
    SetValue("Software\\Wine\\AppDefaults\\epiphase.scr", "Version", REG_SZ,
             on ? std::string("win98", 6) : "");
    SetValue("Control Panel\\Desktop", "ScreenSaveUsePassword", REG_DWORD,
             on ? std::string("\1\0\0\0", 4) : "");
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

// First a minute of /s: the GDI objects and windows of the saver's process, counted inside it by
// the services module between frames (Wine's GetGuiResources answers 0), stay as after the first
// frame. Then input asks for the password; the gate's rules are pinned by the native run tests.
void PasswordGate() {
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    services = std::string(temp) + "epiphase-services";
    CreateDirectoryA(services.c_str(), nullptr);
    DeleteFileA(Services("record.txt").c_str());
    DeleteFileA(Services("answer.txt").c_str());
    SetEnvironmentVariableA("EPIPHASE_SERVICES_DIR", services.c_str());
    const std::string module =
        saver.substr(0, saver.find_last_of("\\/") + 1) + "password_services.dll";
    CopyFileA(module.c_str(), SystemFile("password.cpl").c_str(), FALSE);
    Family9xWithPassword(true);
    SetEnvironmentVariableA("EPIPHASE_SAMPLE_OBJECTS", "1");
    Run run("/s");
    SetEnvironmentVariableA("EPIPHASE_SAMPLE_OBJECTS", nullptr);
    const HWND window = WaitForWindow(FullScreenSaver);
    Pump(1500);
    const std::size_t first = Recorded("objects").size();
    Pump(60000);
    const std::vector<std::string> counts = Recorded("objects");
    Check(counts.size() >= first + 50 &&
              std::count(counts.begin() + first, counts.end(), counts[first]) ==
                  static_cast<long>(counts.size() - first),
          ("/s for 60 s: GDI objects and windows constant after the first frame (" +
           (counts.empty() ? "" : counts.back()) + ")")
              .c_str());
    WaitForWindow([window] { return GetForegroundWindow() == window ? window : nullptr; });
    Key(VK_SPACE);
    const std::vector<std::string> asked = Recorded("verify", 1), loaded = Recorded("load");
    Check(asked.size() == 1 &&
              asked[0].rfind(std::to_string(reinterpret_cast<UINT_PTR>(window)) + " ", 0) == 0 &&
              loaded.size() == 1 &&
              _stricmp(loaded[0].c_str(), SystemFile("PASSWORD.CPL").c_str()) == 0,
          "9x, password 1: input under /s asks VerifyScreenSavePwd of the system's PASSWORD.CPL "
          "for the saver window");
    Check(FramesChange(window) && run.ExitCode(0) == STILL_ACTIVE,
          "the saver draws on while the password dialog is up");
    std::ofstream(Services("answer.txt")) << "1";
    Check(run.ExitCode() == 0, "an accepted password ends it with 0");
    Family9xWithPassword(false);
    DeleteFileA(SystemFile("password.cpl").c_str());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: windows_e2e PATH-TO-epiphase.scr\n");
        return 2;
    }
    saver = argv[1];
    FullScreen();
    Preview();
    Resources();
    PasswordGate();
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
