// The routing stubs executed in a processor emulator: each must arrive at its entry with the
// object where the window handle was, and every other argument, every register the callee may
// rely on and every stack byte as the caller left them.

#include "platform/routing_stub.h"

#include <gtest/gtest.h>
#include <unicorn/unicorn.h>

#include <cstring>
#include <vector>

namespace {

struct Case {
    StubArchitecture architecture;
    std::uint64_t at, entry, object;
};

class RoutingStubRun : public testing::TestWithParam<Case> {};

TEST_P(RoutingStubRun, ArrivesAtTheEntryWithTheObjectInTheHandlesPlace) {
    const Case c = GetParam();
    const bool x64 = c.architecture == StubArchitecture::X64;
    const std::size_t slot = x64 ? 8 : 4;
    const std::uint64_t handle = 0x11223344, top = 0x1FFF00, mask = x64 ? ~0ull : 0xFFFFFFFF;
    uc_engine* cpu = nullptr;
    ASSERT_EQ(uc_open(UC_ARCH_X86, x64 ? UC_MODE_64 : UC_MODE_32, &cpu), UC_ERR_OK);
    for (const std::uint64_t address : {c.at, c.entry, top}) {
        uc_mem_map(cpu, address & ~0xFFFull, 0x2000, UC_PROT_ALL);
    }
    const RoutingStub stub = MakeRoutingStub(c.architecture, c.at, c.entry, c.object);
    uc_mem_write(cpu, c.at, stub.bytes.data(), stub.size);

    // The caller's frame from a guard word below it: the return address, then the handle, the
    // message, wParam and lParam (32-bit), or the four-slot home area and a fifth word (64-bit).
    std::vector<unsigned char> frame;
    for (const std::uint64_t word :
         {0x5151515151515151ull, 0x401000ull, x64 ? 0x61ull : handle, 0x113ull,
          0x2222222222222222ull, 0x3333333333333333ull, 0x4444444444444444ull}) {
        frame.insert(frame.end(), reinterpret_cast<const unsigned char*>(&word),
                     reinterpret_cast<const unsigned char*>(&word) + slot);
    }
    uc_mem_write(cpu, top - slot, frame.data(), frame.size());
    // RAX, R10 and R11 are scratch on entry to a 64-bit procedure; RCX carries the handle.
    const std::vector<int> kept =
        x64 ? std::vector<int>{UC_X86_REG_RDX, UC_X86_REG_R8,  UC_X86_REG_R9,  UC_X86_REG_RBX,
                               UC_X86_REG_RSI, UC_X86_REG_RDI, UC_X86_REG_RBP, UC_X86_REG_R12,
                               UC_X86_REG_R13, UC_X86_REG_R14, UC_X86_REG_R15}
            : std::vector<int>{UC_X86_REG_EAX, UC_X86_REG_EBX, UC_X86_REG_ECX, UC_X86_REG_EDX,
                               UC_X86_REG_ESI, UC_X86_REG_EDI, UC_X86_REG_EBP};
    uc_reg_write(cpu, UC_X86_REG_RCX, &handle); // in 32-bit mode, ECX is among the kept
    for (std::size_t i = 0; i < kept.size(); ++i) {
        const std::uint64_t value = 0x0101010101010101 * (i + 2) & mask;
        uc_reg_write(cpu, kept[i], &value);
    }
    uc_reg_write(cpu, x64 ? UC_X86_REG_RSP : UC_X86_REG_ESP, &top);

    ASSERT_EQ(uc_emu_start(cpu, c.at, c.entry, 0, 8), UC_ERR_OK);
    const auto read = [&](int reg) {
        std::uint64_t value = 0;
        uc_reg_read(cpu, reg, &value);
        return value & mask;
    };
    EXPECT_EQ(read(x64 ? UC_X86_REG_RIP : UC_X86_REG_EIP), c.entry);
    EXPECT_EQ(read(x64 ? UC_X86_REG_RSP : UC_X86_REG_ESP), top);
    for (std::size_t i = 0; i < kept.size(); ++i) {
        EXPECT_EQ(read(kept[i]), 0x0101010101010101 * (i + 2) & mask) << "register #" << i;
    }
    if (x64) {
        EXPECT_EQ(read(UC_X86_REG_RCX), c.object);
    } else {
        std::memcpy(frame.data() + 2 * slot, &c.object, slot); // the handle's slot
    }
    std::vector<unsigned char> stack(frame.size());
    uc_mem_read(cpu, top - slot, stack.data(), stack.size());
    EXPECT_EQ(stack, frame);
    uc_close(cpu);
}

INSTANTIATE_TEST_SUITE_P(
    Stubs, RoutingStubRun,
    testing::Values(Case{StubArchitecture::X86, 0x10000, 0x30000, 0xFEDCBA98},
                    Case{StubArchitecture::X86, 0x7FF0000, 0x401230, 0x00000001},
                    Case{StubArchitecture::X64, 0x10000, 0x7FF612345670, 0x000002A0DEADBEEF},
                    Case{StubArchitecture::X64, 0x7FF612340000, 0x140001000, 0xFFFFFFFFFFFFFFF0}));

} // namespace
