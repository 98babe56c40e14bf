// Bindings without code written at run time: a fixed set of compiled procedures, each reading
// its object and entry from its own slot.

#include "platform/binding.h"

#include <array>
#include <cstddef>
#include <utility>

namespace {

struct Slot {
    BoundProcedure entry = nullptr;
    void* object = nullptr;
};

constexpr std::size_t SlotCount = 16;
std::array<Slot, SlotCount> slots;

template <std::size_t Index>
LRESULT CALLBACK SlotProcedure(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    const Slot& slot = slots[Index];
    return slot.entry(slot.object, message, wParam, lParam);
}

template <std::size_t... Index>
constexpr std::array<WNDPROC, SlotCount> MakeProcedures(std::index_sequence<Index...>) {
    return {&SlotProcedure<Index>...};
}
constexpr std::array<WNDPROC, SlotCount> procedures =
    MakeProcedures(std::make_index_sequence<SlotCount>{});

} // namespace

bool ProcedureBinding::Bind(BoundProcedure entry, void* object) {
    if (storage == nullptr) {
        for (Slot& slot : slots) {
            if (slot.entry == nullptr) {
                storage = &slot;
                break;
            }
        }
    }
    if (storage == nullptr || entry == nullptr) {
        return false;
    }
    Slot& slot = *static_cast<Slot*>(storage);
    slot = {entry, object};
    procedure = procedures[static_cast<std::size_t>(&slot - slots.data())];
    return true;
}

ProcedureBinding::~ProcedureBinding() {
    if (storage != nullptr) {
        *static_cast<Slot*>(storage) = Slot{};
    }
}
