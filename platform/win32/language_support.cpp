// What the compiler's C++ calls on its own, for a program without the C++ run-time: the heap
// behind new and delete, the slot of a pure virtual function, the registration of static
// destructors. Exceptions and run-time type information are off in such a program.

#include "platform/api.h"

#include <cstddef>

// Out of memory raises the system's STATUS_NO_MEMORY exception, which ends the process through
// its unhandled-exception filter (there is no C++ exception to throw).
void* operator new(std::size_t size) {
    return HeapAlloc(GetProcessHeap(), HEAP_GENERATE_EXCEPTIONS, size);
}

void operator delete(void* block) noexcept {
    if (block != nullptr) {
        HeapFree(GetProcessHeap(), 0, block);
    }
}

void operator delete(void* block, std::size_t) noexcept { operator delete(block); }

extern "C" {

// Only reached through a broken object; end at once with the code of a failed call.
void __cxa_pure_virtual() { ExitProcess(static_cast<UINT>(-1)); }

// The process ends through ExitProcess, and the system takes back every handle and all memory;
// the destructors of static objects are never run, as under MinGW's run-time, whose exit the
// entry never reached either.
int atexit(void (*)()) { return 0; }

} // extern "C"
