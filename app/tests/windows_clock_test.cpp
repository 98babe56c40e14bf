// The Windows clock against system counters that this test moves by hand, through its imports.

#include "app/windows_clock.h"
#include "model/clock.h"
#include "platform/api.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

LONGLONG count = 0;
LONGLONG frequency = 0;
DWORD ticks = 0;

BOOL WINAPI CounterByHand(LARGE_INTEGER* value) {
    value->QuadPart = count;
    return TRUE;
}
BOOL WINAPI FrequencyByHand(LARGE_INTEGER* value) {
    value->QuadPart = frequency;
    return frequency != 0;
}
DWORD WINAPI TicksByHand() {
    return ticks;
}

// Every call of a system function goes through the program's import table.
template <typename Function> void ReplaceImport(const char* name, Function* replacement) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    auto* dll = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(
        base + nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
    for (; dll->Name; ++dll) {
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->OriginalFirstThunk);
        auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slot) {
            const auto* entry =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (!IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal) && std::strcmp(entry->Name, name) == 0) {
                DWORD protection = 0;
                VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
                slot->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
                VirtualProtect(slot, sizeof *slot, protection, &protection);
                return;
            }
        }
    }
    ADD_FAILURE() << name << " is not imported";
}

} // namespace

TEST(WindowsClock, FollowsThePerformanceCounterElseTheTickCountAcrossItsWrap) {
    ReplaceImport("QueryPerformanceCounter", CounterByHand);
    ReplaceImport("QueryPerformanceFrequency", FrequencyByHand);
    ReplaceImport("GetTickCount", TicksByHand);
    count = 123'456'789'000;
    frequency = 3'579'545;
    UseWindowsClock();
    std::int32_t start = ElapsedMilliseconds();
    Sleep(50); // the wall clock and the tick count move on, the counter stands
    ticks += 50;
    EXPECT_EQ(ElapsedMilliseconds(), start);
    count += frequency * 3;
    EXPECT_EQ(ElapsedMilliseconds(), start + 3000);

    frequency = 0; // no performance counter in this machine
    ticks = 0xFFFF'FF00u;
    UseWindowsClock();
    start = ElapsedMilliseconds();
    count += 1'000'000;
    EXPECT_EQ(ElapsedMilliseconds(), start);
    ticks += 0x200;
    EXPECT_EQ(ElapsedMilliseconds(), start + 0x200);
    UseRealClock();
}
