// The Linux program: its own options first, then the same launch path as on Windows.

#include "app/linux_options.h"
#include "app/live.h"
#include "app/render.h"
#include "host/command_line.h"
#include "host/saver_host.h"
#include "platform/api.h"
#include "platform/portable/controls.h"
#include "version.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int UsageError = 2;

const char* Step(const char* text) { return CharNextA(text); }

} // namespace

int main(int argc, char** argv) {
    LinuxOptions options;
    std::string error;
    if (!ParseLinuxOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "epiphase: %s (try --help)\n", error.c_str());
        return UsageError;
    }
    switch (options.action) {
    case LinuxOptions::Action::Help:
        std::fputs(LinuxUsage, stdout);
        return 0;
    case LinuxOptions::Action::Version:
        std::printf("epiphase %s\n", EPIPHASE_VERSION);
        return 0;
    case LinuxOptions::Action::Render:
        return RenderToPng(options);
    default:
        break;
    }
    // The configuration and password modes need no display; they end at once.
    const LaunchRequest request = ParseLaunchCommand(options.windowsTail.c_str(), false);
    const bool live = options.action != LinuxOptions::Action::RunSaver ||
                      request.mode == LaunchMode::RunFullScreen ||
                      request.mode == LaunchMode::RunPreview;
    if (live) {
        return RunLive(options);
    }
    portable::SetCommandLine("epiphase " + options.windowsTail);
    const char* tail = SkipProgramName(GetCommandLineA(), Step);
    ExitProcess(static_cast<UINT>(HostMain(GetModuleHandleA(nullptr), tail)));
}
