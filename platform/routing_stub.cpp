#include "platform/routing_stub.h"

#include <cstring>

RoutingStub MakeRoutingStub(StubArchitecture architecture, std::uint64_t at, std::uint64_t entry,
                            std::uint64_t object) {
    RoutingStub stub;
    unsigned char* code = stub.bytes.data();
    if (architecture == StubArchitecture::X64) {
        // mov rcx, object; mov rax, entry; jmp rax (RAX is scratch on entry to a procedure)
        code[0] = 0x48, code[1] = 0xB9;
        std::memcpy(code + 2, &object, 8);
        code[10] = 0x48, code[11] = 0xB8;
        std::memcpy(code + 12, &entry, 8);
        code[20] = 0xFF, code[21] = 0xE0;
        stub.size = 22;
        return stub;
    }
    // mov dword [esp+4], object; jmp entry (relative). The stdcall frame stays as the caller
    // built it.
    const auto objectValue = static_cast<std::uint32_t>(object);
    const auto jump = static_cast<std::uint32_t>(entry - (at + 13));
    code[0] = 0xC7, code[1] = 0x44, code[2] = 0x24, code[3] = 0x04;
    std::memcpy(code + 4, &objectValue, 4);
    code[8] = 0xE9;
    std::memcpy(code + 9, &jump, 4);
    stub.size = 13;
    return stub;
}
