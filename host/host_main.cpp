// The process entry's logic: platform family, launch mode, dispatch.

#include "host/command_line.h"
#include "host/host_state.h"
#include "host/saver_host.h"
#include "host/saver_hooks.h"

namespace {

constexpr int Rejected = -1;
constexpr int ConfigureDialogTemplate = 2003;

bool IsWindows9xFamily() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = 148; // sizeof(OSVERSIONINFOA)
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

HWND ValidWindow(std::uint32_t number) {
    const HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(number));
    return number != 0 && IsWindow(window) ? window : nullptr;
}

} // namespace

int ShowConfiguration(HWND owner) {
    if (!RegisterConfigureClasses(Host().instance)) {
        return 0;
    }
    return static_cast<int>(DialogBoxParamA(Host().instance,
                                            MAKEINTRESOURCEA(ConfigureDialogTemplate), owner,
                                            ConfigureDialogProc, 0));
}

int HostMain(HINSTANCE instance, const char* tail) {
    HostState& host = Host();
    host.win9xFamily = IsWindows9xFamily();
    host.instance = instance;
    const LaunchRequest request = ParseLaunchCommand(tail, host.win9xFamily);
    switch (request.mode) {
    case LaunchMode::RunFullScreen:
        return RunSaver(nullptr);
    case LaunchMode::RunPreview: {
        const HWND parent = ValidWindow(request.windowNumber);
        return parent ? RunSaver(parent) : Rejected;
    }
    case LaunchMode::Configure: {
        HWND owner = ValidWindow(request.windowNumber);
        if (owner == nullptr && request.ownerFallback) {
            owner = GetForegroundWindow();
        }
        return ShowConfiguration(owner);
    }
    case LaunchMode::ChangePassword: {
        HWND parent = ValidWindow(request.windowNumber);
        ChangeSaverPassword(parent ? parent : GetForegroundWindow());
        return 0;
    }
    case LaunchMode::Reject:
        break;
    }
    return Rejected;
}
