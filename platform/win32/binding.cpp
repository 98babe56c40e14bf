// Bindings as code written at run time: a few instructions that put the object where the window
// handle was and jump to the entry. The code goes into its own pages, written while they are
// read-write and then made execute-read, so no page is ever writable and executable at once
// (data-execution prevention kills code in ordinary data).

#include "platform/binding.h"

#include <cstdint>
#include <cstring>

namespace {

#ifdef _WIN64
// mov rcx, object; mov rax, entry; jmp rax
constexpr std::size_t StubSize = 22;
void WriteStub(unsigned char* code, BoundProcedure entry, void* object) {
    const std::uint64_t objectValue = reinterpret_cast<std::uintptr_t>(object);
    const std::uint64_t entryValue = reinterpret_cast<std::uintptr_t>(entry);
    code[0] = 0x48, code[1] = 0xB9;
    std::memcpy(code + 2, &objectValue, 8);
    code[10] = 0x48, code[11] = 0xB8;
    std::memcpy(code + 12, &entryValue, 8);
    code[20] = 0xFF, code[21] = 0xE0;
}
#else
// mov dword [esp+4], object; jmp entry (relative). The stdcall frame stays as the caller built it.
constexpr std::size_t StubSize = 13;
void WriteStub(unsigned char* code, BoundProcedure entry, void* object) {
    const std::uint32_t objectValue = reinterpret_cast<std::uintptr_t>(object);
    const std::int32_t jump = static_cast<std::int32_t>(
        reinterpret_cast<std::uintptr_t>(entry) - (reinterpret_cast<std::uintptr_t>(code) + 13));
    code[0] = 0xC7, code[1] = 0x44, code[2] = 0x24, code[3] = 0x04;
    std::memcpy(code + 4, &objectValue, 4);
    code[8] = 0xE9;
    std::memcpy(code + 9, &jump, 4);
}
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
    void* code = VirtualAlloc(nullptr, StubSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (code == nullptr) {
        return false;
    }
    WriteStub(static_cast<unsigned char*>(code), entry, object);
    DWORD previous = 0;
    if (!VirtualProtect(code, StubSize, PAGE_EXECUTE_READ, &previous)) {
        VirtualFree(code, 0, MEM_RELEASE);
        return false;
    }
    FlushInstructionCache(GetCurrentProcess(), code, StubSize);
    storage = code;
    procedure = reinterpret_cast<WNDPROC>(code);
    return true;
}

ProcedureBinding::~ProcedureBinding() {
    if (storage != nullptr) {
        VirtualFree(storage, 0, MEM_RELEASE);
    }
}
