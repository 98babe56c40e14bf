# 32-bit Linux with the arithmetic of the 32-bit Windows build (Debian's g++-multilib), run under
# qemu-i386 emulating a Pentium II (Debian's qemu-user; Debian's 32-bit C library, linked in
# statically, is built for the i686): the model alone, to compare its numbers with the native
# build's (scripts/i686-checks.sh).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
include(${CMAKE_CURRENT_LIST_DIR}/x87.cmake)
set(CMAKE_C_FLAGS_INIT "-m32 ${X87_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "-m32 ${X87_FLAGS}")
# Static, so that the emulator needs no 32-bit libraries of this machine's.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32 -static")
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386 -cpu pentium2)
set(EPIPHASE_MODEL_ONLY ON)
