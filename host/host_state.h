#pragma once

// The saver framework's process-wide record.

#include "platform/api.h"

using VerifyPasswordEntry = BOOL(WINAPI*)(HWND window);
using ChangePasswordEntry = DWORD(WINAPI*)(LPCSTR provider, HWND parent, DWORD, LPVOID);
using AssociateContextEntry = HIMC(WINAPI*)(HWND window, HIMC context);

inline constexpr DWORD NeverVerified = 0xFFFFFFFFu;

struct HostState {
    // Launch.
    HINSTANCE instance = nullptr;
    bool win9xFamily = false;
    // Saver window and loop.
    bool previewMode = false;
    HWND saverWindow = nullptr;
    UINT autoPlayMessage = 0;
    // Dismissal.
    POINT referenceCursor{0, 0};
    HMODULE immModule = nullptr;
    AssociateContextEntry associateContext = nullptr;
    HIMC savedInputContext = nullptr;
    // Password.
    HMODULE passwordModule = nullptr;
    VerifyPasswordEntry verifyPassword = nullptr;
    bool verifying = false;
    bool closeConfirmed = false;
    DWORD lastVerifyEnd = NeverVerified;
};

HostState& Host();
