#include "platform/portable/tests/test_canvas.h"

#include <string>

using Kernel = PortableTest;

// The system directory and the family the tests choose are pinned by the host's password tests.
TEST_F(Kernel, ModulesSearchBesideTheProgramFirstAndShortVersionQueriesFail) {
    portable::AddModule(std::string(portable::SystemDirectory) + "\\X.DLL", {}, false);
    portable::AddModule("X.DLL", {}, false); // planted beside the program
    EXPECT_NE(LoadLibraryA("X.DLL"), nullptr);
    EXPECT_EQ(portable::ModuleLoadCount("X.DLL"), 1);
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = 100; // short of the structure: refused, as Windows refuses it
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
