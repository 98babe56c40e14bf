#include "host/host_state.h"

namespace {
constinit HostState hostState;
} // namespace

HostState& Host() { return hostState; }
