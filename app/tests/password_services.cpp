// Stand-ins for the system's password services, installed by the end-to-end harness as
// PASSWORD.CPL and MPR.DLL. They record every load and call in DIR\record.txt and take the
// verifier's answer from DIR\answer.txt, DIR being $EPIPHASE_SERVICES_DIR. With
// $EPIPHASE_SAMPLE_OBJECTS set they also count the process's GDI objects and top-level windows
// about once a second (Wine's GetGuiResources answers 0 for every process).

#include <windows.h>

#include <fstream>
#include <string>

namespace {

std::string InDirectory(const char* name) {
    char path[MAX_PATH] = "";
    GetEnvironmentVariableA("EPIPHASE_SERVICES_DIR", path, MAX_PATH);
    return std::string(path) + "\\" + name;
}

void Record(const std::string& line) {
    std::ofstream(InDirectory("record.txt"), std::ios::app) << line << "\n";
}

std::string Number(const void* handle) {
    return std::to_string(reinterpret_cast<UINT_PTR>(handle));
}

BOOL CALLBACK CountWindow(HWND window, LPARAM count) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    *reinterpret_cast<int*>(count) += process == GetCurrentProcessId();
    return TRUE;
}

// Runs on the saver's thread as it takes each message, so between frames: what a frame creates
// is gone again by then.
LRESULT CALLBACK SampleObjects(int code, WPARAM wParam, LPARAM lParam) {
    static DWORD last = GetTickCount();
    if (GetTickCount() - last >= 1000) {
        last = GetTickCount();
        int objects = 0, windows = 0;
        // Wine takes a handle's table index alone as the handle.
        for (UINT_PTR index = 1; index < 0x10000; ++index) {
            objects += GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0;
        }
        EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&windows));
        Record("objects " + std::to_string(objects) + " " + std::to_string(windows));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) {
        char path[MAX_PATH] = "";
        GetModuleFileNameA(module, path, MAX_PATH);
        Record(std::string("load ") + path);
        // The process it is loaded into: its screen's DPI as it sees it, and its DPI awareness.
        const HDC screen = GetDC(nullptr);
        Record("dpi " + std::to_string(GetDeviceCaps(screen, LOGPIXELSX)) +
               (IsProcessDPIAware() ? " aware" : " unaware"));
        ReleaseDC(nullptr, screen);
        if (GetEnvironmentVariableA("EPIPHASE_SAMPLE_OBJECTS", nullptr, 0) != 0) {
            HMODULE pinned = nullptr; // the hook outlives the saver's FreeLibrary
            GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_PIN |
                                   GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                               reinterpret_cast<const char*>(&SampleObjects), &pinned);
            SetWindowsHookExA(WH_GETMESSAGE, SampleObjects, nullptr, GetCurrentThreadId());
        }
    }
    return TRUE;
}

// A modal password dialog: the caller's messages keep flowing, the pointer shows, until the
// harness answers.
extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window) {
    Record("verify " + Number(window) + " " + std::to_string(GetTickCount()));
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    char answer = 0;
    while (!(std::ifstream(InDirectory("answer.txt")) >> answer)) {
        MSG msg; // one message at a time: the saver's paints never pause
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        } else {
            Sleep(10);
        }
    }
    DeleteFileA(InDirectory("answer.txt").c_str());
    Record(std::string("answer ") + answer + " " + std::to_string(GetTickCount()));
    if (answer == 'x') { // the dialog dies of an exception
        RaiseException(0xE0000001u, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    }
    return answer == '1';
}

extern "C" __declspec(dllexport) DWORD WINAPI
    PwdChangePasswordA(LPCSTR provider, HWND parent, DWORD flags, void* reserved) {
    Record(std::string("change ") + provider + " " + Number(parent) + " " + std::to_string(flags) +
           " " + Number(reserved));
    return 0;
}
