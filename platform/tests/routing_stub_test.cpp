// The routing stubs executed in a processor emulator: each must arrive at its entry with the
// object where the window handle was and every other argument, register the callee may rely
// on, and stack byte as the caller left them.

#include "platform/routing_stub.h"

#include <gtest/gtest.h>
#include <unicorn/unicorn.h>

#include <cstring>
#include <vector>

namespace {

constexpr std::uint64_t Page = 0x1000, Stack = 0x200000, Handle = 0x0000000011223344;

struct Case {
    StubArchitecture architecture;
    std::uint64_t at, entry, object;
};

// Registers holding the caller's state; the handle's register (64-bit) is expected to change.
const std::vector<int> Registers32 = {UC_X86_REG_EAX, UC_X86_REG_EBX, UC_X86_REG_ECX,
                                      UC_X86_REG_EDX, UC_X86_REG_ESI, UC_X86_REG_EDI,
                                      UC_X86_REG_EBP, UC_X86_REG_ESP};
// RAX, R10 and R11 are scratch on entry to a procedure; RCX carries the handle.
const std::vector<int> Registers64 = {
    UC_X86_REG_RDX, UC_X86_REG_R8,  UC_X86_REG_R9,  UC_X86_REG_RBX, UC_X86_REG_RSI, UC_X86_REG_RDI,
    UC_X86_REG_RBP, UC_X86_REG_RSP, UC_X86_REG_R12, UC_X86_REG_R13, UC_X86_REG_R14, UC_X86_REG_R15};

class Machine {
  public:
    explicit Machine(StubArchitecture architecture) {
        x64 = architecture == StubArchitecture::X64;
        uc_open(UC_ARCH_X86, x64 ? UC_MODE_64 : UC_MODE_32, &engine);
    }
    ~Machine() { uc_close(engine); }
    void Map(std::uint64_t address) {
        uc_mem_map(engine, address & ~(Page - 1), 2 * Page, UC_PROT_ALL);
    }
    void Write(std::uint64_t address, const void* bytes, std::size_t size) {
        ASSERT_EQ(uc_mem_write(engine, address, bytes, size), UC_ERR_OK);
    }
    std::vector<unsigned char> Read(std::uint64_t address, std::size_t size) {
        std::vector<unsigned char> bytes(size);
        uc_mem_read(engine, address, bytes.data(), size);
        return bytes;
    }
    std::uint64_t Get(int reg) {
        std::uint64_t value = 0;
        uc_reg_read(engine, reg, &value);
        return x64 ? value : value & 0xFFFFFFFF;
    }
    void Set(int reg, std::uint64_t value) { uc_reg_write(engine, reg, &value); }
    // Runs from `begin` until the program counter reaches `until`, at most 8 instructions.
    uc_err Run(std::uint64_t begin, std::uint64_t until) {
        return uc_emu_start(engine, begin, until, 0, 8);
    }

  private:
    uc_engine* engine = nullptr;
    bool x64 = false;
};

class RoutingStubRun : public testing::TestWithParam<Case> {};

TEST_P(RoutingStubRun, ArrivesAtTheEntryWithTheObjectInTheHandlesPlace) {
    const Case c = GetParam();
    const bool x64 = c.architecture == StubArchitecture::X64;
    Machine machine(c.architecture);
    machine.Map(c.at);
    machine.Map(c.entry);
    machine.Map(Stack - Page);
    const RoutingStub stub = MakeRoutingStub(c.architecture, c.at, c.entry, c.object);
    machine.Write(c.at, stub.bytes.data(), stub.size);

    // The caller's frame: return address, then (32-bit) the four stdcall arguments, (64-bit) the
    // four-slot home area and a fifth stack word; a guard word below and above.
    const std::size_t slot = x64 ? 8 : 4;
    const std::uint64_t top = Stack - 0x100;
    std::vector<std::uint64_t> words = {0x5151515151515151,
                                        0x0000000000401000,
                                        x64 ? 0x6161616161616161 : Handle,
                                        0x0113,
                                        0x2222222222222222,
                                        0x3333333333333333,
                                        0x4444444444444444};
    std::vector<unsigned char> frame;
    for (const std::uint64_t word : words) {
        frame.insert(frame.end(), reinterpret_cast<const unsigned char*>(&word),
                     reinterpret_cast<const unsigned char*>(&word) + slot);
    }
    machine.Write(top - slot, frame.data(), frame.size());
    const std::vector<int>& registers = x64 ? Registers64 : Registers32;
    for (std::size_t i = 0; i < registers.size(); ++i) {
        machine.Set(registers[i], 0x0101010101010101 * (i + 2));
    }
    machine.Set(x64 ? UC_X86_REG_RSP : UC_X86_REG_ESP, top);
    if (x64) {
        machine.Set(UC_X86_REG_RCX, Handle);
    }
    std::vector<std::uint64_t> before;
    for (const int reg : registers) {
        before.push_back(machine.Get(reg));
    }

    ASSERT_EQ(machine.Run(c.at, c.entry), UC_ERR_OK);
    EXPECT_EQ(machine.Get(x64 ? UC_X86_REG_RIP : UC_X86_REG_EIP), c.entry);
    for (std::size_t i = 0; i < registers.size(); ++i) {
        EXPECT_EQ(machine.Get(registers[i]), before[i]) << "register #" << i;
    }
    if (x64) {
        EXPECT_EQ(machine.Get(UC_X86_REG_RCX), c.object);
    } else {
        std::memcpy(frame.data() + 2 * slot, &c.object, slot); // the handle's slot
    }
    EXPECT_EQ(machine.Read(top - slot, frame.size()), frame);
}

INSTANTIATE_TEST_SUITE_P(
    Stubs, RoutingStubRun,
    testing::Values(Case{StubArchitecture::X86, 0x10000, 0x30000, 0xFEDCBA98},
                    Case{StubArchitecture::X86, 0x7FF0000, 0x401230, 0x00000001},
                    Case{StubArchitecture::X64, 0x10000, 0x7FF612345670, 0x000002A0DEADBEEF},
                    Case{StubArchitecture::X64, 0x7FF612340000, 0x140001000, 0xFFFFFFFFFFFFFFF0}));

} // namespace
