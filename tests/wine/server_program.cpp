#include "tests/wine/server_program.h"

ServerProgramTest::ServerProgramTest() { server.instance = GetModuleHandleA(nullptr); }

std::string ServerProgramTest::Stored(const char *name) const {
    auto found = store.values.find(name);
    return found == store.values.end() ? "<missing>" : found->second;
}
