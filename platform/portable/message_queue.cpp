#include "platform/portable/message_queue.h"

#include "platform/portable/display.h"
#include "platform/portable/names.h"
#include "platform/portable/kernel.h"
#include "platform/portable/user.h"
#include "platform/portable/window_manager.h"

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <string>
#include <strings.h>

namespace portable {
namespace {

struct MessageQueue {
    std::deque<MSG> system;
    std::deque<MSG> posted;
    std::deque<MSG> input;
    bool quitPending = false;
    int quitCode = 0;
    std::map<std::string, UINT, CaseInsensitiveLess> registered;
};

MessageQueue& Queue() {
    static MessageQueue& queue = *new MessageQueue; // outlives every exit handler
    return queue;
}

MSG MakeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return MSG{window, message, wParam, lParam, GetTickCount(), CurrentDisplay().CursorPosition()};
}

// What a retrieval compares with: never delivered, so it asks the display for nothing.
MSG Pattern(UINT message) { return MSG{nullptr, message, 0, 0, 0, {0, 0}}; }

bool Matches(const MSG& msg, HWND window, UINT low, UINT high) {
    const bool inRange = (low == 0 && high == 0) || (msg.message >= low && msg.message <= high);
    return inRange && (window == nullptr || msg.hwnd == window);
}

bool TakeFrom(std::deque<MSG>& queue, LPMSG msg, HWND window, UINT low, UINT high, bool remove) {
    for (auto it = queue.begin(); it != queue.end(); ++it) {
        if (Matches(*it, window, low, high)) {
            *msg = *it;
            if (remove) {
                queue.erase(it);
            }
            return true;
        }
    }
    return false;
}

bool IsMouseMessage(UINT message) { return message >= WM_MOUSEFIRST && message <= WM_MOUSELAST; }

// One retrieval in Windows' order: sent, posted, quit, input, paint.
bool Retrieve(LPMSG msg, HWND window, UINT low, UINT high, bool remove) {
    MessageQueue& queue = Queue();
    while (!queue.system.empty()) {
        const MSG sent = queue.system.front();
        queue.system.pop_front();
        SendMessageA(sent.hwnd, sent.message, sent.wParam, sent.lParam);
    }
    if (TakeFrom(queue.posted, msg, window, low, high, remove)) {
        return true;
    }
    if (queue.quitPending && queue.posted.empty() && Matches(Pattern(WM_QUIT), nullptr, low, high)) {
        *msg = MakeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0);
        queue.quitPending = !remove;
        return true;
    }
    if (TakeFrom(queue.input, msg, window, low, high, remove)) {
        if (remove && IsMouseMessage(msg->message)) {
            // The pointer shape is settled before the mouse message arrives.
            SendMessageA(msg->hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(msg->hwnd),
                         static_cast<LPARAM>(static_cast<DWORD>(msg->message) << 16 | 1u));
        }
        return true;
    }
    if (!Matches(Pattern(WM_PAINT), nullptr, low, high)) {
        return false;
    }
    for (HWND each : WindowsInPaintOrder()) {
        const Window& candidate = *FindWindowObject(each);
        if (candidate.hasUpdate && IsShowing(candidate) && (window == nullptr || each == window)) {
            // A paced display may hold the paint back until its time.
            if (!CurrentDisplay().PaintDue()) {
                return false;
            }
            *msg = MakeMessage(each, WM_PAINT, 0, 0);
            return true;
        }
    }
    return false;
}

} // namespace

void QueueInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window != nullptr) {
        Queue().input.push_back(MakeMessage(window, message, wParam, lParam));
    }
}

void QueueSystemMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Queue().system.push_back(MakeMessage(window, message, wParam, lParam));
}

void ForgetWindowMessages(HWND window) {
    MessageQueue& queue = Queue();
    for (std::deque<MSG>* each : {&queue.system, &queue.posted, &queue.input}) {
        std::erase_if(*each, [window](const MSG& msg) { return msg.hwnd == window; });
    }
}

void ResetMessageQueue() { Queue() = MessageQueue{}; }

} // namespace portable

using namespace portable;

BOOL GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
    if (msg == nullptr) {
        return -1;
    }
    CurrentDisplay().PumpEvents(false); // input waiting on the display comes before paint
    while (!Retrieve(msg, window, filterMin, filterMax, true)) {
        if (!CurrentDisplay().PumpEvents(true)) {
            // A real thread would sleep here for ever; a test or a render would hang instead.
            std::fprintf(stderr, "epiphase: the message loop waits for input that cannot come\n");
            std::abort();
        }
    }
    return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
    if (msg == nullptr) {
        return FALSE;
    }
    CurrentDisplay().PumpEvents(false);
    return Retrieve(msg, window, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0);
}

BOOL TranslateMessage(const MSG* msg) {
    // Character messages are of no interest to the saver; none are made.
    return msg != nullptr && (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN);
}

LRESULT DispatchMessageA(const MSG* msg) {
    if (msg == nullptr || msg->hwnd == nullptr) {
        return 0;
    }
    const Window* window = FindWindowObject(msg->hwnd);
    return window ? CallWindowProcA(window->procedure, msg->hwnd, msg->message, msg->wParam,
                                    msg->lParam)
                  : 0;
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window != nullptr && FindWindowObject(window) == nullptr) {
        return FALSE;
    }
    Queue().posted.push_back(MakeMessage(window, message, wParam, lParam));
    return TRUE;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const Window* target = FindWindowObject(window);
    return target ? CallWindowProcA(target->procedure, window, message, wParam, lParam) : 0;
}

void PostQuitMessage(int exitCode) {
    Queue().quitPending = true;
    Queue().quitCode = exitCode;
}

UINT RegisterWindowMessageA(LPCSTR name) {
    if (name == nullptr || *name == '\0') {
        return 0;
    }
    auto& registered = Queue().registered;
    const auto [entry, added] =
        registered.emplace(name, static_cast<UINT>(0xC000 + registered.size()));
    return entry->second;
}
