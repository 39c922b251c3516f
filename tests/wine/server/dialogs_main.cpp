// The dialog tests run in one process that holds the server's resources.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include "server/shell/server_state.h"

int main(int argc, char **argv) {
    TheServer().instance = GetModuleHandleA(nullptr);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
