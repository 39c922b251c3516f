// tesmar.exe links statically: it may import only DLLs every Windows has.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <set>
#include <string>

#include "tests/kit/tesmar_server.h"
#include "tests/kit/wine_session.h"

TEST(TesmarImports, AreSystemDllsOnly) {
    if (e2e::KindUnderTest() == e2e::ServerKind::Native)
        GTEST_SKIP() << "a Windows program's check";
    std::string exe = e2e::TesmarExe();
    ASSERT_TRUE(e2e::FileExists(exe)) << exe << " is missing";
    FILE *pipe = popen(("x86_64-w64-mingw32-objdump -p '" + exe + "'").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    const std::set<std::string> system = {
        "kernel32.dll", "user32.dll",  "gdi32.dll",  "ws2_32.dll",   "advapi32.dll",
        "comdlg32.dll", "shell32.dll", "msvcrt.dll", "comctl32.dll", "bcrypt.dll"};
    std::set<std::string> imported;
    char line[512];
    while (fgets(line, sizeof line, pipe)) {
        std::string text = line;
        size_t at = text.find("DLL Name: ");
        if (at == std::string::npos) continue;
        std::string name = text.substr(at + 10);
        name.erase(name.find_last_not_of(" \r\n") + 1);
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        imported.insert(name);
    }
    ASSERT_EQ(pclose(pipe), 0);
    EXPECT_TRUE(imported.count("ws2_32.dll"));
    for (const std::string &name : imported) EXPECT_TRUE(system.count(name)) << name;
}
