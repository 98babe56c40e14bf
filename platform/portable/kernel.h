#pragma once

// Windows kernel, registry and module services, as much of them as the saver calls.

#include "platform/portable/types.h"

LPSTR GetCommandLineA();
void GetStartupInfoA(STARTUPINFOA* info);
HMODULE GetModuleHandleA(LPCSTR name);
BOOL GetVersionExA(OSVERSIONINFOA* info);
UINT GetSystemDirectoryA(LPSTR buffer, UINT size);
DWORD GetTickCount();
void Sleep(DWORD milliseconds);
[[noreturn]] void ExitProcess(UINT exitCode);

HMODULE LoadLibraryA(LPCSTR fileName);
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
BOOL FreeLibrary(HMODULE module);

LSTATUS RegOpenKeyA(HKEY key, LPCSTR subKey, PHKEY result);
LSTATUS RegCloseKey(HKEY key);
LSTATUS RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                         LPBYTE data, LPDWORD dataSize);
