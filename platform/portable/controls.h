#pragma once

// What the stand-in offers beyond the Windows API: choosing the display, feeding input as a
// user would, filling the registry and the module table, and looking inside (object counts,
// pixels, the saver-running state). Entry points and tests use it; the saver itself never does.

#include "platform/portable/display.h"
#include "platform/portable/raster.h"
#include "platform/portable/types.h"

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace portable {

// --- Display and input ---------------------------------------------------------------------

// The pointer moves to a screen point; the window under it gets WM_MOUSEMOVE.
void MovePointer(POINT screen);
// The pointer moved inside a window (client coordinates); that window or the child there
// gets WM_MOUSEMOVE. For displays whose own pointer moved.
void QueuePointerMotion(HWND top, POINT client);
// A key or mouse button goes down or up, as the message Windows would queue (WM_KEYDOWN,
// WM_LBUTTONUP, ...); keys go to the foreground window, buttons to the window under the pointer.
void PressInput(UINT message, WPARAM wParam);
// The same for a display that knows the window and the pointer's place in it.
void QueueButton(HWND top, POINT client, UINT message, WPARAM wParam);
// Another application takes the foreground: our active window hears WM_ACTIVATEAPP 0, and a
// window shown from then on stays behind until SetForegroundWindow brings it to the front.
void DeactivateApplication();
// A message the system sends to a window from outside the thread (power events, for one).
void SendSystemMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// --- Looking inside ------------------------------------------------------------------------

// Every line, move and pixel drawn through a device context, while a sink is set.
struct DrawCall {
    enum class Kind { MoveTo, LineTo, SetPixel } kind;
    POINT point;      // logical coordinates
    HGDIOBJ pen;      // the pen selected (lines and moves)
    COLORREF color;   // the pen's colour, or the pixel's
};
void RecordDrawCalls(std::vector<DrawCall>* sink);

std::size_t LiveGdiObjectCount();
std::size_t LiveWindowCount();
bool CursorHidden();
// The last dialog asked for (each fails at once: the stand-in has no templates).
struct DialogRequest {
    UINT_PTR templateNumber = 0; // MAKEINTRESOURCE's number
    HWND owner = nullptr;
};
DialogRequest LastDialogRequest();
// The pixels a window's client area shows now.
Surface CaptureClientArea(HWND window);
// Writes a window's client area as an RGB PNG; false (with errno set) when the file fails.
bool WritePng(const Surface& image, const std::string& path);

// --- Kernel, registry, modules -------------------------------------------------------------

void SetCommandLine(const std::string& commandLine);
// VER_PLATFORM_WIN32_NT by default; VER_PLATFORM_WIN32_WINDOWS makes it a Windows 9x system.
void SetPlatformId(DWORD platformId);
// GetTickCount reads `ticks` from now on, until the next call or ResetPlatform.
void SetTickCount(DWORD ticks);
// The system-wide screen-saver-running state set through SPI_SCREENSAVERRUNNING.
bool SaverRunningState();
void SetRegistryValue(const std::string& keyUnderCurrentUser, const std::string& valueName,
                      const std::vector<BYTE>& data);

// A module that LoadLibraryA can find under `path` (a full path, or a bare name for one that
// lies in the current directory), with named entries. `loaded` puts it in the process already,
// so that GetModuleHandleA finds it too.
void AddModule(const std::string& path, const std::map<std::string, FARPROC>& entries,
               bool loaded);
int ModuleLoadCount(const std::string& path); // LoadLibraryA minus FreeLibrary calls
extern const char* const SystemDirectory;

// Back to a fresh process: no windows, empty queue, default kernel, registry and modules, and
// no display until one is chosen again.
void ResetPlatform();

} // namespace portable
