#include "platform/portable/tests/test_canvas.h"

#include <cstring>
#include <string>

using Kernel = PortableTest;

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
    EXPECT_EQ(version.dwPlatformId, VER_PLATFORM_WIN32_NT); // unless a test says otherwise
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
