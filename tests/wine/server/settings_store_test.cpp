// The settings store against the registry (a key of the tests' own under
// the private keys the in-process base redirects to).
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/settings_store_win32.h"
#include "tests/wine/in_process_test.h"

namespace {

RegistrySettingsStore kTestStore(HKEY_LOCAL_MACHINE, "SOFTWARE\\KVT\\ShellTests\\Store");

class SettingsStoreTest : public InProcessTest {
  protected:
    // Stores a value of any type and size directly.
    void SetRaw(const char *name, DWORD type, const void *bytes, DWORD size) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kTestStore.key_path(), 0, nullptr, 0,
                                  KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE *>(bytes), size),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
};

TEST_F(SettingsStoreTest, MissingKeyLeavesTheDestinationAlone) {
    char dest[12] = "keep";
    EXPECT_FALSE(ReadSetting(kTestStore, "Port", dest, sizeof dest));
    EXPECT_STREQ(dest, "keep");
}

TEST_F(SettingsStoreTest, WrittenValuesReadBackAndMissingOnesReadEmpty) {
    ASSERT_TRUE(WriteSetting(kTestStore, "Port", "5000"));
    ASSERT_TRUE(WriteSetting(kTestStore, "HTMLFile", "C:\\web\\board.html"));
    char port[12] = "x";
    char page[350] = "x";
    char footer[1000] = "x";
    EXPECT_TRUE(ReadSetting(kTestStore, "Port", port, sizeof port));
    EXPECT_TRUE(ReadSetting(kTestStore, "HTMLFile", page, sizeof page));
    EXPECT_TRUE(ReadSetting(kTestStore, "Footer", footer, sizeof footer));
    EXPECT_STREQ(port, "5000");
    EXPECT_STREQ(page, "C:\\web\\board.html");
    EXPECT_STREQ(footer, "");

    // Stored as REG_SZ with the NUL counted.
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kTestStore.key_path(), 0, KEY_READ, &key),
              ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Port", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, 5u);
}

TEST_F(SettingsStoreTest, TheKeyPathTextReadsAsMissing) {
    WriteSetting(kTestStore, "History", kTestStore.key_path());
    char value[400] = "x";
    EXPECT_TRUE(ReadSetting(kTestStore, "History", value, sizeof value));
    EXPECT_STREQ(value, "");
    // Only the exact text: one more character is an ordinary value.
    std::string longer = std::string(kTestStore.key_path()) + "x";
    WriteSetting(kTestStore, "History", longer.c_str());
    ReadSetting(kTestStore, "History", value, sizeof value);
    EXPECT_EQ(std::string(value), longer);
}

TEST_F(SettingsStoreTest, LongValuesAreCutToTheField) {
    std::string long_text(600, 'p');
    long_text[0] = '7';
    WriteSetting(kTestStore, "Port", long_text.c_str());
    char port[13];
    std::memset(port, '#', sizeof port);
    ReadSetting(kTestStore, "Port", port, 12);
    EXPECT_EQ(std::string(port), "7" + std::string(10, 'p'));
    EXPECT_EQ(port[12], '#') << "wrote past the field";

    // The longest value the store takes whole: 1019 characters.
    std::string longest(1019, 'h');
    WriteSetting(kTestStore, "Header", longest.c_str());
    char header[1000];
    ReadSetting(kTestStore, "Header", header, sizeof header);
    EXPECT_EQ(std::string(header), std::string(999, 'h'));
}

TEST_F(SettingsStoreTest, ValuesTheQueryCannotReturnOrThatAreNoTextReadAsMissing) {
    char value[1000] = "x";
    std::string too_long(1020, 'v'); // 1021 bytes with its NUL
    SetRaw("Header", REG_SZ, too_long.c_str(), static_cast<DWORD>(too_long.size() + 1));
    EXPECT_TRUE(ReadSetting(kTestStore, "Header", value, sizeof value));
    EXPECT_STREQ(value, "");

    DWORD number = 0x31323334; // would read as "4321" were its type ignored
    SetRaw("Port", REG_DWORD, &number, sizeof number);
    std::strcpy(value, "x");
    ReadSetting(kTestStore, "Port", value, sizeof value);
    EXPECT_STREQ(value, "");

    const char multi[] = "one\0two\0";
    SetRaw("Footer", REG_MULTI_SZ, multi, sizeof multi);
    std::strcpy(value, "x");
    ReadSetting(kTestStore, "Footer", value, sizeof value);
    EXPECT_STREQ(value, "");
}

TEST_F(SettingsStoreTest, AStringStoredWithoutItsNulEndsWithItsBytes) {
    // The longest value with no NUL: the reader must still stop.
    std::string full(1019, 'w');
    SetRaw("Header", REG_SZ, full.data(), static_cast<DWORD>(full.size()));
    char value[1000];
    ReadSetting(kTestStore, "Header", value, sizeof value);
    EXPECT_EQ(std::string(value), std::string(999, 'w'));

    SetRaw("Port", REG_SZ, "80", 2);
    char port[12];
    ReadSetting(kTestStore, "Port", port, sizeof port);
    EXPECT_STREQ(port, "80");
}

} // namespace
