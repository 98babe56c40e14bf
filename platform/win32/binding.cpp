// Bindings as code written at run time: a few instructions that put the object where the window
// handle was and jump to the entry. The code goes into its own pages, written while they are
// read-write and then made execute-read, so no page is ever writable and executable at once
// (data-execution prevention kills code in ordinary data).

#include "platform/binding.h"

#include "platform/routing_stub.h"

#include <cstring>

namespace {

#ifdef _WIN64
constexpr StubArchitecture Architecture = StubArchitecture::X64;
#else
constexpr StubArchitecture Architecture = StubArchitecture::X86;
#endif

} // namespace

bool ProcedureBinding::Bind(BoundProcedure entry, void* object) {
    if (entry == nullptr) {
        return false;
    }
    if (storage != nullptr) {
        VirtualFree(storage, 0, MEM_RELEASE); // bound anew: fresh code, never rewritten in place
        storage = nullptr;
        procedure = nullptr;
    }
    const std::size_t size = RoutingStub{}.bytes.size();
    void* code = VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (code == nullptr) {
        return false;
    }
    const RoutingStub stub = MakeRoutingStub(Architecture, reinterpret_cast<std::uintptr_t>(code),
                                             reinterpret_cast<std::uintptr_t>(entry),
                                             reinterpret_cast<std::uintptr_t>(object));
    std::memcpy(code, stub.bytes.data(), stub.size);
    DWORD previous = 0;
    if (!VirtualProtect(code, size, PAGE_EXECUTE_READ, &previous)) {
        VirtualFree(code, 0, MEM_RELEASE);
        return false;
    }
    FlushInstructionCache(GetCurrentProcess(), code, size);
    storage = code;
    procedure = reinterpret_cast<WNDPROC>(code);
    return true;
}

ProcedureBinding::~ProcedureBinding() {
    if (storage != nullptr) {
        VirtualFree(storage, 0, MEM_RELEASE);
    }
}
