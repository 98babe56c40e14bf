#pragma once

// The thread's message loop with its paints paced: one frame per refresh of the display, as a
// screen saver should draw, the rest of the machine kept free. Every message but a paint is
// taken at once, so input is never held back by a frame's wait.

#include "platform/api.h"

class PacedMessages {
  public:
    PacedMessages();
    ~PacedMessages();
    PacedMessages(const PacedMessages&) = delete;
    PacedMessages& operator=(const PacedMessages&) = delete;

    // As GetMessageA for any window of the thread: the next message, FALSE for the quit message.
    BOOL Get(MSG* msg);

  private:
    void* storage = nullptr; // what the platform keeps for its pacing
};
