#include "host/password_gate.h"

#include "host/host_state.h"

CloseGate DecideClose(bool verifying, bool verifierLoaded, std::uint32_t now,
                      std::uint32_t lastVerifyEnd) {
    if (verifying) {
        return CloseGate::Refuse;
    }
    if (!verifierLoaded) {
        return CloseGate::Allow;
    }
    // Measured modulo 2^32, so a tick count that wrapped meanwhile still counts right.
    if (lastVerifyEnd != NeverVerified && now - lastVerifyEnd < ReverifyHoldOff) {
        return CloseGate::Refuse;
    }
    return CloseGate::Ask;
}
