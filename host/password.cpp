// Password verification and change through the system's password services, loaded at run time
// (Windows 9x family only).

#include "host/host_state.h"
#include "host/password_gate.h"
#include "host/saver_host.h"
#include "host/dismissal.h"

#include <cstring>

namespace {

// A module from the system directory only: the default search order starts in the current
// directory, where anyone could plant a module of that name to run as the user.
HMODULE LoadSystemModule(const char* fileName) {
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + 1 + std::strlen(fileName) + 1 > MAX_PATH) {
        return nullptr;
    }
    path[length] = '\\';
    std::strcpy(path + length + 1, fileName);
    return LoadLibraryA(path);
}

bool PasswordRequired() {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &key) != ERROR_SUCCESS) {
        return false;
    }
    // Zeroed first, so that data shorter than four bytes reads as a small number.
    BYTE value[4] = {0, 0, 0, 0};
    DWORD size = sizeof value;
    const bool read = RegQueryValueExA(key, "ScreenSaveUsePassword", nullptr, nullptr, value,
                                       &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    const DWORD number = static_cast<DWORD>(value[0]) | static_cast<DWORD>(value[1]) << 8 |
                         static_cast<DWORD>(value[2]) << 16 | static_cast<DWORD>(value[3]) << 24;
    return read && number != 0;
}

} // namespace

void SetSaverRunning(bool on) {
    if (Host().win9xFamily) {
        UINT previous = 0;
        SystemParametersInfoA(SPI_SCREENSAVERRUNNING, on ? 1 : 0, &previous, 0);
    }
}

void LoadPasswordVerifier() {
    HostState& host = Host();
    if (!host.win9xFamily || !PasswordRequired()) {
        return;
    }
    host.passwordModule = LoadSystemModule("PASSWORD.CPL");
    if (host.passwordModule == nullptr) {
        return;
    }
    host.verifyPassword = reinterpret_cast<VerifyPasswordEntry>(
        reinterpret_cast<void*>(GetProcAddress(host.passwordModule, "VerifyScreenSavePwd")));
    if (host.verifyPassword != nullptr) {
        SetSaverRunning(true);
    } else {
        UnloadPasswordVerifier();
    }
}

void UnloadPasswordVerifier() {
    HostState& host = Host();
    if (!host.win9xFamily || host.passwordModule == nullptr) {
        return;
    }
    FreeLibrary(host.passwordModule);
    host.passwordModule = nullptr;
    if (host.verifyPassword != nullptr) {
        host.verifyPassword = nullptr;
        SetSaverRunning(false);
    }
}

int VerifyClose(HWND window) {
    HostState& host = Host();
    switch (DecideClose(host.verifying, host.verifyPassword != nullptr, GetTickCount(),
                        host.lastVerifyEnd)) {
    case CloseGate::Refuse:
        return 0;
    case CloseGate::Allow:
        host.closeConfirmed = true;
        return 1;
    case CloseGate::Ask:
        break;
    }
    host.verifying = true;
    // Timer messages queued meanwhile would only pile up behind the dialog.
    MSG discarded;
    PeekMessageA(&discarded, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    PeekMessageA(&discarded, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    const LRESULT result = SendMessageA(window, VerifyRequestMessage, 0, 0);
    host.closeConfirmed = result != 0;
    host.verifying = false;
    if (result == 0) {
        SetCursor(nullptr);
    }
    host.lastVerifyEnd = GetTickCount();
    return static_cast<int>(result);
}

void ChangeSaverPassword(HWND parent) {
    const HMODULE module = LoadSystemModule("MPR.DLL");
    if (module == nullptr) {
        return;
    }
    const auto change = reinterpret_cast<ChangePasswordEntry>(
        reinterpret_cast<void*>(GetProcAddress(module, "PwdChangePasswordA")));
    if (change != nullptr) {
        change("SCRSAVE", parent, 0, nullptr);
    }
    FreeLibrary(module);
}
