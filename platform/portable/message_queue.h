#pragma once

// The thread's message queue as the display and the test controls feed it.

#include "platform/portable/types.h"

namespace portable {

// Input as Windows queues it: mouse messages for the window under the pointer, keys for the
// foreground window; delivered after posted messages and before paint.
void QueueInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// A message the system sends from outside the thread (activation, for one): delivered inside
// the next GetMessageA or PeekMessageA, before anything queued.
void QueueSystemMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void ResetMessageQueue();

} // namespace portable
