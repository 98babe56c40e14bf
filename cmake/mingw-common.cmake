# Shared part of the MinGW-w64 cross toolchains; the including file sets MINGW_TRIPLET and
# MINGW_WINE (the Wine loader that runs the cross-built tests).
set(CMAKE_SYSTEM_NAME Windows)

# The win32 thread model: the saver has one thread and needs no POSIX threads runtime, whose
# imports (GetTickCount64 and more) Windows 98, NT 4.0 and XP do not have.
set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-win32)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-win32)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_CROSSCOMPILING_EMULATOR ${MINGW_WINE})
