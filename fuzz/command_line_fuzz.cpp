// Any bytes as a raw command line: finding the tail and selecting the mode never reads outside
// the text, and what comes out is consistent.

#include "host/command_line.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {
const char* StepByte(const char* text) { return *text != '\0' ? text + 1 : text; }
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string raw(reinterpret_cast<const char*>(data), size); // NUL-terminated copy
    const char* tail = SkipProgramName(raw.c_str(), StepByte);
    if (tail < raw.c_str() || tail > raw.c_str() + raw.size()) {
        std::abort();
    }
    for (bool win9x : {false, true}) {
        const LaunchRequest request = ParseLaunchCommand(tail, win9x);
        const bool numbered = request.mode == LaunchMode::RunPreview ||
                              request.mode == LaunchMode::Configure ||
                              request.mode == LaunchMode::ChangePassword;
        if ((!numbered && request.windowNumber != 0) ||
            (!win9x && request.mode == LaunchMode::ChangePassword)) {
            std::abort();
        }
    }
    return 0;
}
