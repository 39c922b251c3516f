// The dialog tests run in one process that holds the server's resources
// (each test's program object takes its instance).
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
