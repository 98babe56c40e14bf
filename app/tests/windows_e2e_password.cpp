// The 9x family's password gate of the real epiphase.scr: its password services played by
// password_services.dll, installed as the system's own for epiphase.scr alone.

#include "e2e_harness.h"

#include <algorithm>
#include <fstream>
#include <vector>

namespace {

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

} // namespace

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
