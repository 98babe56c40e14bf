#pragma once

// The Windows types, constants and records the saver uses, with Windows' names and values.

#include <cstdint>

#define WINAPI
#define CALLBACK
#define APIENTRY

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using UINT = unsigned int;
using INT = int;
using CHAR = char;
using LPSTR = char*;
using LPCSTR = const char*;
using LPVOID = void*;
using PVOID = void*;
using LPCVOID = const void*;
using LPBYTE = BYTE*;
using LPDWORD = DWORD*;
using SIZE_T = std::size_t;
using UINT_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;
using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;
using INT_PTR = std::intptr_t;
using ATOM = WORD;
using COLORREF = DWORD;
using LSTATUS = LONG;

#define TRUE 1
#define FALSE 0

// Opaque handles, distinct types as with STRICT.
#define EPIPHASE_HANDLE(name)                                                                     \
    struct name##__;                                                                              \
    using name = name##__*
EPIPHASE_HANDLE(HWND);
EPIPHASE_HANDLE(HDC);
EPIPHASE_HANDLE(HPEN);
EPIPHASE_HANDLE(HBRUSH);
EPIPHASE_HANDLE(HFONT);
EPIPHASE_HANDLE(HBITMAP);
EPIPHASE_HANDLE(HINSTANCE);
EPIPHASE_HANDLE(HKEY);
EPIPHASE_HANDLE(HICON);
EPIPHASE_HANDLE(HCURSOR);
EPIPHASE_HANDLE(HMENU);
EPIPHASE_HANDLE(HIMC);
#undef EPIPHASE_HANDLE
using HGDIOBJ = void*; // as with STRICT: every object handle converts to it
using HMODULE = HINSTANCE;
using HANDLE = void*;
using PHKEY = HKEY*;

using WNDPROC = LRESULT(CALLBACK*)(HWND, UINT, WPARAM, LPARAM);
using DLGPROC = INT_PTR(CALLBACK*)(HWND, UINT, WPARAM, LPARAM);
using FARPROC = INT_PTR(WINAPI*)();

struct POINT {
    LONG x;
    LONG y;
};
using LPPOINT = POINT*;

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
using LPRECT = RECT*;

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};
using LPMSG = MSG*;

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
};

struct WNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
};

struct CREATESTRUCTA {
    LPVOID lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCSTR lpszName;
    LPCSTR lpszClass;
    DWORD dwExStyle;
};

constexpr int LF_FACESIZE = 32;
struct LOGFONTA {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    CHAR lfFaceName[LF_FACESIZE];
};

struct OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
};

struct STARTUPINFOA {
    DWORD cb;
    LPSTR lpReserved;
    LPSTR lpDesktop;
    LPSTR lpTitle;
    DWORD dwX;
    DWORD dwY;
    DWORD dwXSize;
    DWORD dwYSize;
    DWORD dwXCountChars;
    DWORD dwYCountChars;
    DWORD dwFillAttribute;
    DWORD dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    LPBYTE lpReserved2;
    HANDLE hStdInput;
    HANDLE hStdOutput;
    HANDLE hStdError;
};

// Window messages.
constexpr UINT WM_NULL = 0x0000, WM_CREATE = 0x0001, WM_DESTROY = 0x0002, WM_MOVE = 0x0003,
               WM_SIZE = 0x0005, WM_ACTIVATE = 0x0006, WM_SETFOCUS = 0x0007,
               WM_KILLFOCUS = 0x0008, WM_SETTEXT = 0x000C, WM_PAINT = 0x000F,
               WM_CLOSE = 0x0010, WM_QUIT = 0x0012, WM_ERASEBKGND = 0x0014,
               WM_SHOWWINDOW = 0x0018, WM_ACTIVATEAPP = 0x001C, WM_SETCURSOR = 0x0020,
               WM_WINDOWPOSCHANGING = 0x0046, WM_WINDOWPOSCHANGED = 0x0047, WM_POWER = 0x0048,
               WM_HELP = 0x0053, WM_CONTEXTMENU = 0x007B, WM_NCCREATE = 0x0081,
               WM_NCDESTROY = 0x0082, WM_NCCALCSIZE = 0x0083, WM_KEYDOWN = 0x0100,
               WM_KEYUP = 0x0101, WM_CHAR = 0x0102, WM_SYSKEYDOWN = 0x0104,
               WM_SYSKEYUP = 0x0105, WM_SYSCOMMAND = 0x0112, WM_TIMER = 0x0113,
               WM_MOUSEMOVE = 0x0200, WM_LBUTTONDOWN = 0x0201, WM_LBUTTONUP = 0x0202,
               WM_LBUTTONDBLCLK = 0x0203, WM_RBUTTONDOWN = 0x0204, WM_RBUTTONUP = 0x0205,
               WM_MBUTTONDOWN = 0x0207, WM_MBUTTONUP = 0x0208, WM_MOUSEWHEEL = 0x020A,
               WM_POWERBROADCAST = 0x0218, WM_PRINTCLIENT = 0x0318, WM_APP = 0x8000;
constexpr UINT WM_KEYFIRST = 0x0100, WM_KEYLAST = 0x0109, WM_MOUSEFIRST = 0x0200,
               WM_MOUSELAST = 0x020E;

constexpr WPARAM SC_NEXTWINDOW = 0xF040, SC_PREVWINDOW = 0xF050, SC_SCREENSAVE = 0xF140;
constexpr WPARAM PWR_CRITICALRESUME = 3;
constexpr WPARAM WA_INACTIVE = 0, WA_ACTIVE = 1;
constexpr WPARAM SIZE_RESTORED = 0;

// Window styles.
constexpr DWORD WS_POPUP = 0x80000000u, WS_CHILD = 0x40000000u, WS_VISIBLE = 0x10000000u,
                WS_CLIPSIBLINGS = 0x04000000u, WS_CLIPCHILDREN = 0x02000000u,
                WS_OVERLAPPEDWINDOW = 0x00CF0000u;
constexpr DWORD WS_EX_TOPMOST = 0x00000008u;
constexpr UINT CS_VREDRAW = 0x0001, CS_HREDRAW = 0x0002, CS_DBLCLKS = 0x0008, CS_OWNDC = 0x0020;
constexpr int GWL_WNDPROC = -4;

constexpr UINT PM_NOREMOVE = 0x0000, PM_REMOVE = 0x0001, PM_NOYIELD = 0x0002;

// System metrics.
constexpr int SM_CXSCREEN = 0, SM_CYSCREEN = 1, SM_XVIRTUALSCREEN = 76, SM_YVIRTUALSCREEN = 77,
              SM_CXVIRTUALSCREEN = 78, SM_CYVIRTUALSCREEN = 79;
constexpr UINT SPI_SCREENSAVERRUNNING = 0x0061;

// GDI.
constexpr int PS_SOLID = 0;
constexpr int TRANSPARENT = 1, OPAQUE = 2;
constexpr int BLACK_BRUSH = 4;
constexpr DWORD SRCCOPY = 0x00CC0020u;
constexpr int NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3, ERROR = 0;
constexpr UINT DT_LEFT = 0x0000, DT_TOP = 0x0000;
constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;
#define RGB(r, g, b)                                                                              \
    ((COLORREF)(((BYTE)(r) | ((WORD)((BYTE)(g)) << 8)) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(c) ((BYTE)(c))
#define GetGValue(c) ((BYTE)(((WORD)(c)) >> 8))
#define GetBValue(c) ((BYTE)((c) >> 16))
#define MAKEINTRESOURCEA(i) ((LPSTR)((UINT_PTR)((WORD)(i))))
#define HGDI_ERROR ((HGDIOBJ)(LONG_PTR)-1)

// Kernel, registry.
constexpr DWORD VER_PLATFORM_WIN32s = 0, VER_PLATFORM_WIN32_WINDOWS = 1,
                VER_PLATFORM_WIN32_NT = 2;
constexpr DWORD STARTF_USESHOWWINDOW = 0x00000001;
constexpr WORD SW_HIDE = 0, SW_SHOW = 5, SW_SHOWDEFAULT = 10;
constexpr LONG ERROR_SUCCESS = 0, ERROR_FILE_NOT_FOUND = 2, ERROR_INVALID_HANDLE = 6,
               ERROR_MORE_DATA = 234;
#define HKEY_CURRENT_USER ((HKEY)(std::uintptr_t)0x80000001u)
#define MAX_PATH 260
