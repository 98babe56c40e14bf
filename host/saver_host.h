#pragma once

// The saver framework: process entry, run modes, the saver window's procedures and the password
// services.

#include "platform/api.h"

// The mode a command tail selects, run; its result is the process exit code.
int HostMain(HINSTANCE instance, const char* tail);
// The configuration mode: there is no dialog template, so it ends at once with -1.
int ShowConfiguration(HWND owner);
// Full screen (no parent) or preview (inside `parent`); the message loop's exit code.
int RunSaver(HWND parent);
// The saver window class, "WindowsScreenSaverClass", with SaverWindowProc; nonzero on success.
ATOM RegisterSaverClass();

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

void LoadPasswordVerifier();
void UnloadPasswordVerifier();
// Nonzero lets a close request through.
int VerifyClose(HWND window);
void ChangeSaverPassword(HWND parent);
void SetSaverRunning(bool on);
