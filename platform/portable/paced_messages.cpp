#include "platform/paced_messages.h"

// The stand-in's message queue already holds each paint back until the display asks for the
// next frame (its pacing and -delay): nothing to add here.

PacedMessages::PacedMessages() = default;
PacedMessages::~PacedMessages() = default;

BOOL PacedMessages::Get(MSG* msg) {
    return GetMessageA(msg, nullptr, 0, 0);
}
