#include "tests/wine/in_process_test.h"

#include <fstream>

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

bool PumpUntil(const std::function<bool()> &done, int timeout_ms) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (static_cast<int>(GetTickCount() - start) > timeout_ms) return done();
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
            if (done()) return true;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

void PumpFor(int ms) {
    PumpUntil([] { return false; }, ms);
}

namespace {

HKEY CreateKey(const std::string &path) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

} // namespace

void InProcessTest::SetUp() {
    const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "-" + info->name();
    for (char &c : name)
        if (c == '/') c = '-';
    std::string own = std::to_string(GetCurrentProcessId()) + "-" + name;

    scratch_dir_.emplace();
    scratch = scratch_dir_->path().string();
    ASSERT_TRUE(Exists(scratch)) << scratch;

    // The private keys live under the member's real key; both are opened
    // before either root is redirected.
    sandbox_ = "Software\\InProcessTests\\" + own;
    RegDeleteTreeA(HKEY_CURRENT_USER, sandbox_.c_str());
    root_ = CreateKey(sandbox_);
    ASSERT_NE(root_, nullptr);
    machine_ = CreateKey(sandbox_ + "\\Machine");
    member_ = CreateKey(sandbox_ + "\\Member");
    ASSERT_NE(machine_, nullptr);
    ASSERT_NE(member_, nullptr);
    ASSERT_EQ(RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_), ERROR_SUCCESS);
    ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, member_), ERROR_SUCCESS);
}

// Both roots are the prefix's own again.
void InProcessTest::Unredirect() {
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    if (machine_) RegCloseKey(machine_);
    if (member_) RegCloseKey(member_);
    if (root_) RegCloseKey(root_);
    root_ = machine_ = member_ = nullptr;
}

void InProcessTest::TearDown() {
    Unredirect();
    if (!sandbox_.empty()) RegDeleteTreeA(HKEY_CURRENT_USER, sandbox_.c_str());
    scratch_dir_.reset();
}

// Wine does not check a parent key's access when a subkey is created, so
// the refusing store is a key that has been deleted under its open handle.
void InProcessTest::MakeMachineStoreReadOnly() {
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    std::string gone = sandbox_ + "\\Gone";
    HKEY key = CreateKey(gone);
    ASSERT_NE(key, nullptr);
    ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, gone.c_str()), ERROR_SUCCESS);
    RegCloseKey(machine_);
    machine_ = key;
    ASSERT_EQ(RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_), ERROR_SUCCESS);
    ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, member_), ERROR_SUCCESS);
}

std::string InProcessTest::StoredMachineValue(const char *key_path, const char *name) const {
    HKEY key;
    std::string path = std::string("Machine\\") + key_path;
    if (RegOpenKeyExA(root_, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "<missing>";
    char value[1100];
    DWORD size = sizeof value - 1;
    DWORD type = 0;
    LONG result =
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(value), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ) return "<missing>";
    value[size] = '\0';
    return value;
}

std::string InProcessTest::MakeDirectory(const std::string &name) {
    std::string path = scratch + "\\" + name;
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

void InProcessTest::WriteFile(const std::string &path, const std::string &bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

bool InProcessTest::Exists(const std::string &path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
