// Linked into the test and benchmark programs that run the stand-in without an entry point of
// their own to choose a display: a headless 1024 × 768 one from the start.

#include "platform/displays/headless/display.h"

namespace {

const bool chosen = (portable::UseHeadlessDisplay(1024, 768), true);

} // namespace
