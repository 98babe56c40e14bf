#include "platform/portable/kernel.h"

#include "platform/portable/controls.h"
#include "platform/portable/names.h"
#include "platform/portable/user.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <strings.h>
#include <thread>
#include <utility>
#include <vector>

namespace portable {

const char* const SystemDirectory = "C:\\WINDOWS\\system32";

namespace {

struct Module {
    std::map<std::string, FARPROC> entries;
    bool inProcess = false; // there before the program asked for it
    int loadCount = 0;
};

using RegistryKey = std::map<std::string, std::vector<BYTE>, CaseInsensitiveLess>;

struct Kernel {
    std::string commandLine = "epiphase";
    DWORD platformId = VER_PLATFORM_WIN32_NT;
    bool ticksFrozen = false;
    DWORD frozenTicks = 0;
    bool saverRunning = false;
    std::map<std::string, std::unique_ptr<Module>, CaseInsensitiveLess> modules;
    std::map<std::string, RegistryKey, CaseInsensitiveLess> registry;
    std::map<std::uintptr_t, const RegistryKey*> openKeys;
    std::uintptr_t nextKey = 0x1000;
};

Kernel& State() {
    static Kernel& kernel = *new Kernel; // outlives every exit handler
    return kernel;
}

std::int64_t SteadyMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

Module* FindModule(HMODULE handle) {
    for (auto& [path, module] : State().modules) {
        if (reinterpret_cast<HMODULE>(module.get()) == handle) {
            return module.get();
        }
    }
    return nullptr;
}

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A module the program may load under `name`: an exact path, or for a bare name the Windows
// search order, current directory (bare entries) first, then the system directory.
Module* Resolve(const std::string& name) {
    auto& modules = State().modules;
    std::vector<std::string> candidates{name};
    if (name.find_first_of("\\/") == std::string::npos) {
        candidates.push_back(std::string(SystemDirectory) + "\\" + name);
    }
    for (const std::string& candidate : candidates) {
        if (const auto found = modules.find(candidate); found != modules.end()) {
            return found->second.get();
        }
    }
    return nullptr;
}

} // namespace

void SetCommandLine(const std::string& commandLine) { State().commandLine = commandLine; }
void SetPlatformId(DWORD platformId) { State().platformId = platformId; }
void SetTickCount(DWORD ticks) {
    State().ticksFrozen = true;
    State().frozenTicks = ticks;
}
bool SaverRunningState() { return State().saverRunning; }

void SetRegistryValue(const std::string& key, const std::string& valueName,
                      const std::vector<BYTE>& data) {
    State().registry[key][valueName] = data;
}

void AddModule(const std::string& path, const std::map<std::string, FARPROC>& entries,
               bool loaded) {
    auto module = std::make_unique<Module>();
    module->entries = entries;
    module->inProcess = loaded;
    State().modules[path] = std::move(module);
}

int ModuleLoadCount(const std::string& path) {
    const auto& modules = State().modules;
    const auto found = modules.find(path);
    return found == modules.end() ? 0 : found->second->loadCount;
}

void ResetKernel() { State() = Kernel{}; }

} // namespace portable

using namespace portable;

LPSTR GetCommandLineA() { return State().commandLine.data(); }

void GetStartupInfoA(STARTUPINFOA* info) {
    if (info != nullptr) {
        *info = STARTUPINFOA{};
        info->cb = sizeof(STARTUPINFOA);
    }
}

HMODULE GetModuleHandleA(LPCSTR name) {
    if (name == nullptr) {
        return reinterpret_cast<HMODULE>(std::uintptr_t{0x400000}); // the program's own image
    }
    for (auto& [path, module] : State().modules) {
        if ((module->inProcess || module->loadCount > 0) &&
            (strcasecmp(path.c_str(), name) == 0 ||
             strcasecmp(BaseName(path).c_str(), name) == 0)) {
            return reinterpret_cast<HMODULE>(module.get());
        }
    }
    return nullptr;
}

BOOL GetVersionExA(OSVERSIONINFOA* info) {
    if (info == nullptr || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOA)) {
        return FALSE;
    }
    const bool win9x = State().platformId == VER_PLATFORM_WIN32_WINDOWS;
    info->dwMajorVersion = win9x ? 4 : 10;
    info->dwMinorVersion = win9x ? 10 : 0;
    info->dwBuildNumber = win9x ? 2222 : 19045;
    info->dwPlatformId = State().platformId;
    info->szCSDVersion[0] = '\0';
    return TRUE;
}

UINT GetSystemDirectoryA(LPSTR buffer, UINT size) {
    const UINT length = static_cast<UINT>(std::strlen(SystemDirectory));
    if (buffer == nullptr || size <= length) {
        return length + 1;
    }
    std::memcpy(buffer, SystemDirectory, length + 1);
    return length;
}

DWORD GetTickCount() {
    return State().ticksFrozen ? State().frozenTicks : static_cast<DWORD>(SteadyMilliseconds());
}

void Sleep(DWORD milliseconds) {
    if (milliseconds == 0) {
        std::this_thread::yield();
    } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
}

void ExitProcess(UINT exitCode) {
    // Ends at once, as on Windows: no exit handlers, no static destructors.
    std::fflush(nullptr);
    std::_Exit(static_cast<int>(exitCode));
}

HMODULE LoadLibraryA(LPCSTR fileName) {
    Module* module = fileName ? Resolve(fileName) : nullptr;
    if (module == nullptr) {
        return nullptr;
    }
    ++module->loadCount;
    return reinterpret_cast<HMODULE>(module);
}

FARPROC GetProcAddress(HMODULE handle, LPCSTR name) {
    const Module* module = FindModule(handle);
    if (module == nullptr || name == nullptr) {
        return nullptr;
    }
    const auto found = module->entries.find(name);
    return found == module->entries.end() ? nullptr : found->second;
}

BOOL FreeLibrary(HMODULE handle) {
    Module* module = FindModule(handle);
    if (module == nullptr || module->loadCount == 0) {
        return FALSE;
    }
    --module->loadCount;
    return TRUE;
}

BOOL SystemParametersInfoA(UINT action, UINT uiParam, PVOID pvParam, UINT) {
    if (action != SPI_SCREENSAVERRUNNING) {
        return FALSE;
    }
    const bool previous = std::exchange(State().saverRunning, uiParam != 0);
    if (pvParam != nullptr) {
        *static_cast<UINT*>(pvParam) = previous ? 1u : 0u;
    }
    return TRUE;
}

LSTATUS RegOpenKeyA(HKEY key, LPCSTR subKey, PHKEY result) {
    Kernel& kernel = State();
    if (key != HKEY_CURRENT_USER || subKey == nullptr || result == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    const auto found = kernel.registry.find(subKey);
    if (found == kernel.registry.end()) {
        return ERROR_FILE_NOT_FOUND;
    }
    const std::uintptr_t handle = kernel.nextKey;
    kernel.nextKey += 4;
    kernel.openKeys[handle] = &found->second;
    *result = reinterpret_cast<HKEY>(handle);
    return ERROR_SUCCESS;
}

LSTATUS RegCloseKey(HKEY key) {
    return State().openKeys.erase(reinterpret_cast<std::uintptr_t>(key)) ? ERROR_SUCCESS
                                                                         : ERROR_INVALID_HANDLE;
}

LSTATUS RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD, LPDWORD type, LPBYTE data,
                         LPDWORD dataSize) {
    const auto& openKeys = State().openKeys;
    const auto open = openKeys.find(reinterpret_cast<std::uintptr_t>(key));
    if (open == openKeys.end()) {
        return ERROR_INVALID_HANDLE;
    }
    const auto value = open->second->find(valueName ? valueName : "");
    if (value == open->second->end()) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (type != nullptr) {
        *type = 3; // REG_BINARY
    }
    const DWORD size = static_cast<DWORD>(value->second.size());
    if (data != nullptr && (dataSize == nullptr || *dataSize < size)) {
        if (dataSize != nullptr) {
            *dataSize = size;
        }
        return ERROR_MORE_DATA;
    }
    if (data != nullptr) {
        std::memcpy(data, value->second.data(), size);
    }
    if (dataSize != nullptr) {
        *dataSize = size;
    }
    return ERROR_SUCCESS;
}
