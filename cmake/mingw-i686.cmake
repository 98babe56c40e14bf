# The shipping build: 32-bit Windows (Debian's g++-mingw-w64-i686-win32), for Windows 95, NT 4.0
# and later on any processor from the 486DX on.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MINGW_TRIPLET i686-w64-mingw32)
set(MINGW_WINE /usr/lib/wine/wine)
include(${CMAKE_CURRENT_LIST_DIR}/x87.cmake)
set(CMAKE_C_FLAGS_INIT "${X87_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "${X87_FLAGS}")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
