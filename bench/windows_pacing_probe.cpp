// Frames per second of the real epiphase.scr full screen, counted from outside: the paints its
// message loop takes, as saver_watch.dll records them (windows_pacing_bench.sh runs it).
// Usage: windows_pacing_probe PATH-TO-epiphase.scr SECONDS; prints "counting" when the count
// begins and the rate when it ends, then ends the saver once its standard input closes: a
// caller measures the saver's load over the same span.

#include "app/tests/saver_watch.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: windows_pacing_probe PATH-TO-epiphase.scr SECONDS\n");
        return 2;
    }
    const std::string saver = argv[1];
    const DWORD milliseconds = static_cast<DWORD>(std::atoi(argv[2])) * 1000;
    if (WatchEverywhere(LoadSaverWatch(saver), WH_GETMESSAGE, "WatchTakenMessage") == nullptr) {
        std::fprintf(stderr, "windows_pacing_probe: cannot install the hooks of saver_watch.dll\n");
        return 1;
    }
    std::string command = "\"" + saver + "\" /s";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "windows_pacing_probe: cannot start %s\n", saver.c_str());
        return 1;
    }
    HWND window = nullptr;
    for (int tries = 0;
         tries < 800 && (window == nullptr || Watched(window, "EpiphasePaints") == 0); ++tries) {
        Sleep(10);
        window = FindWindowA("WindowsScreenSaverClass", "Screen Saver");
    }
    int status = 1;
    if (window != nullptr) {
        std::printf("counting\n");
        std::fflush(stdout);
        const UINT_PTR first = Watched(window, "EpiphasePaints");
        const DWORD start = GetTickCount();
        Sleep(milliseconds);
        const UINT_PTR frames = Watched(window, "EpiphasePaints") - first;
        std::printf("%.1f frames/s\n", frames * 1000.0 / (GetTickCount() - start));
        std::fflush(stdout);
        while (std::getchar() != EOF) {
        }
        status = 0;
    }
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return status;
}
