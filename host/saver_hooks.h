#pragma once

// What the saver framework expects of the application that runs inside it, and the one service
// it offers back: the default handling of the saver window's messages.

#include "platform/api.h"

// Every message of the saver window that the framework's own procedure passes on.
LRESULT CALLBACK AppSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The procedure of the configuration dialog, and the registration of what that dialog needs.
INT_PTR CALLBACK ConfigureDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
BOOL WINAPI RegisterConfigureClasses(HINSTANCE instance);

// The dismissal rules and everything else the application leaves alone.
LRESULT CALLBACK DefaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
