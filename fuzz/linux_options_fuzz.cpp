// Any argument list (arguments separated by NUL bytes): the Linux options either come out
// within their bounds or are refused with a message.

#include "app/linux_options.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> arguments(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            arguments.emplace_back();
        } else {
            arguments.back() += static_cast<char>(data[i]);
        }
    }
    LinuxOptions options;
    std::string error;
    if (!ParseLinuxOptions(arguments, options, error)) {
        if (error.empty()) {
            std::abort();
        }
        return 0;
    }
    if (options.width < 1 || options.width > 16384 || options.height < 1 ||
        options.height > 16384 || options.frames < 1 || options.clockStep < 0 ||
        options.delayMicroseconds < 0 || options.delayMicroseconds > 10000000 ||
        (options.action == LinuxOptions::Action::InWindowId && options.windowId == 0) ||
        (options.action == LinuxOptions::Action::Render && options.pngPath.empty())) {
        std::abort();
    }
    return 0;
}
