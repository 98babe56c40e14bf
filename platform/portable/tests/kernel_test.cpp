#include "platform/portable/tests/test_canvas.h"

#include <cstring>
#include <string>

using Kernel = PortableTest;

TEST_F(Kernel, RegistryValuesAreCopiedOnlyWhenTheyFit) {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &key), ERROR_FILE_NOT_FOUND);
    portable::SetRegistryValue("Control Panel\\Desktop", "Long", {1, 2, 3, 4, 5});
    portable::SetRegistryValue("Control Panel\\Desktop", "Short", {7});
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "control panel\\desktop", &key), ERROR_SUCCESS);
    BYTE buffer[4] = {9, 9, 9, 9};
    DWORD size = sizeof buffer;
    EXPECT_EQ(RegQueryValueExA(key, "Long", nullptr, nullptr, buffer, &size), ERROR_MORE_DATA);
    size = sizeof buffer;
    EXPECT_EQ(RegQueryValueExA(key, "Short", nullptr, nullptr, buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 1u);
    EXPECT_EQ(buffer[0] * 10 + buffer[1], 79); // the rest of the buffer is untouched
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
}

TEST_F(Kernel, ModulesSearchBesideTheProgramFirstAndTheFamilyIsTheTestsChoice) {
    char directory[MAX_PATH];
    EXPECT_EQ(GetSystemDirectoryA(directory, MAX_PATH), std::strlen(portable::SystemDirectory));
    EXPECT_EQ(std::string(directory), portable::SystemDirectory);
    portable::AddModule(std::string(directory) + "\\X.DLL", {}, false);
    portable::AddModule("X.DLL", {}, false); // planted beside the program
    EXPECT_NE(LoadLibraryA("X.DLL"), nullptr);
    EXPECT_EQ(portable::ModuleLoadCount("X.DLL"), 1);
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    ASSERT_TRUE(GetVersionExA(&version));
    EXPECT_EQ(version.dwPlatformId, VER_PLATFORM_WIN32_NT);
    portable::SetPlatformId(VER_PLATFORM_WIN32_WINDOWS);
    GetVersionExA(&version);
    EXPECT_EQ(version.dwPlatformId, VER_PLATFORM_WIN32_WINDOWS);
    version.dwOSVersionInfoSize = 100;
    EXPECT_FALSE(GetVersionExA(&version));
}

TEST_F(Kernel, TickCountRunsOnItsOwnUntilATestSetsIt) {
    const DWORD before = GetTickCount();
    Sleep(20);
    EXPECT_GE(static_cast<DWORD>(GetTickCount() - before), 20u);
    portable::SetTickCount(0xFFFFFFF0u);
    Sleep(5);
    EXPECT_EQ(GetTickCount(), 0xFFFFFFF0u);
}
