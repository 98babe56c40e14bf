#pragma once

// The machine code of a procedure binding (see binding.h): a few instructions that put the
// object where the window handle was and jump to the entry. Pure, so that every build can check
// the bytes, whichever processor it runs on.

#include <array>
#include <cstddef>
#include <cstdint>

enum class StubArchitecture {
    X86, // stdcall: the handle is the first argument on the stack
    X64, // Microsoft x64: the handle arrives in RCX
};

struct RoutingStub {
    std::array<unsigned char, 22> bytes{};
    std::size_t size = 0;
};

// The stub for code placed at address `at` (the 32-bit jump is relative to it).
RoutingStub MakeRoutingStub(StubArchitecture architecture, std::uint64_t at, std::uint64_t entry,
                            std::uint64_t object);
