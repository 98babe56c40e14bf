#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#ifdef _WIN64
// The shipping build is 32-bit, where a window procedure fits the LONG of these calls. The
// 64-bit test builds need the pointer-sized variants under the same names.
#undef SetWindowLongA
#undef GetWindowLongA
#define SetWindowLongA SetWindowLongPtrA
#define GetWindowLongA GetWindowLongPtrA
#ifndef GWL_WNDPROC
#define GWL_WNDPROC GWLP_WNDPROC
#endif
#endif
