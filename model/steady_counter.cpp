// The real clock's counter from the start, unless the program brings its own (model/clock.h).
// A file of its own, so that such a program never links the standard library's clock.

#include "model/clock.h"

#include <chrono>

std::int64_t StartupMicroseconds() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
