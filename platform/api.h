#pragma once

// The Windows API by its own names: the real one on Windows, the portable stand-in elsewhere.

#ifdef _WIN32
#include "platform/win32/windows_api.h"
#else
#include "platform/portable/gdi.h"
#include "platform/portable/kernel.h"
#include "platform/portable/user.h"
#endif
