#include "platform/portable/display.h"

#include <cstdio>
#include <cstdlib>

namespace portable {
namespace {

std::unique_ptr<Display>& Current() {
    // Outlives every exit handler; the system closes a display connection with the process.
    static std::unique_ptr<Display>& display = *new std::unique_ptr<Display>;
    return display;
}

} // namespace

Display& CurrentDisplay() {
    if (!Current()) {
        // The entry point chooses a back end before anything is shown: a program fault.
        std::fputs("epiphase: no display was chosen\n", stderr);
        std::abort();
    }
    return *Current();
}

void SetDisplay(std::unique_ptr<Display> display) {
    Current() = std::move(display);
}

} // namespace portable
