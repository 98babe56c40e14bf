// The real epiphase.scr from outside, as the display settings and a user would drive it: full
// screen, as a preview and behind the 9x password gate, watched through its windows, its pixels
// and what its message loop takes from its queue (saver_watch.dll).
// Usage: windows_e2e PATH-TO-epiphase.scr; prints a line per check, then "N passed, N failed".

#include "e2e_harness.h"

#include <algorithm>
#include <vector>

namespace {

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
    CheckEndsAtOnce(run, window, "a further 2 pixels end it with exit code 0");
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
    CheckEndsAtOnce(run, window, "a key between paced frames ends it with 0");
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
