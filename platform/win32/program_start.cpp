#include "platform/win32/program_start.h"

#include <cstddef>

using Constructor = void (*)();

// Made by the linker: a -1 marker, the plain constructors, those with a priority by name (the
// most urgent last), then a null terminator. The toolchain's start-up code runs them from the
// end backwards.
extern "C" Constructor __CTOR_LIST__[];

void RunStaticConstructors() {
    std::size_t count = 0;
    while (__CTOR_LIST__[count + 1] != nullptr) {
        ++count;
    }
    for (; count != 0; --count) {
        __CTOR_LIST__[count]();
    }
}
