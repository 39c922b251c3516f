// Arbitrary bytes as the data file: LoadBoard from a tmpfs file and
// LoadBoardFromBytes must load the same board without reading or writing
// out of bounds, and the board saved from it must read back as itself.
#include "server/board/board_file.h"
#include "server/board/server_settings.h"
#include "server/board/user_table.h"
#include "tests/fuzz/fuzz_board_dir.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace {

bool Terminated(const UserRecord &r) {
    return strnlen(r.name, sizeof r.name) < sizeof r.name &&
           strnlen(r.destination, sizeof r.destination) < sizeof r.destination &&
           strnlen(r.time, sizeof r.time) < sizeof r.time &&
           strnlen(r.return_time, sizeof r.return_time) < sizeof r.return_time;
}

bool SameRecord(const UserRecord &a, const UserRecord &b) {
    return std::strcmp(a.name, b.name) == 0 && a.in_out == b.in_out &&
           std::strcmp(a.destination, b.destination) == 0 && std::strcmp(a.time, b.time) == 0 &&
           std::strcmp(a.return_time, b.return_time) == 0;
}

bool SameOrSpaceForEmpty(const char *stored, const char *reloaded) {
    if (stored[0] == '\0') return std::strcmp(reloaded, " ") == 0;
    return std::strcmp(stored, reloaded) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string &dir = FuzzBoardDir();
    static ServerSettings settings;
    std::memset(&settings, 0, sizeof settings);
    std::snprintf(settings.WorkingDir, sizeof settings.WorkingDir, "%s", dir.c_str());
    PutFile(dir + "/tesmar.dat", data, size);

    // Both loaders start from a table full of stale bytes.
    static UserTable from_bytes, from_file;
    static StandardFileReader reader;
    std::memset(&from_bytes, 0x5a, sizeof from_bytes);
    std::memset(&from_file, 0x5a, sizeof from_file);
    from_bytes.count = from_file.count = 7;
    LoadBoardFromBytes(from_bytes, reinterpret_cast<const char *>(data), size);
    FUZZ_CHECK(LoadBoard(from_file, settings, reader, nullptr) == BoardLoad::Loaded);
    FUZZ_CHECK(from_bytes.count == 7 && from_file.count == 7);
    for (int i = 0; i < kMaxUsers; ++i) {
        FUZZ_CHECK(Terminated(from_bytes.slots[i]));
        FUZZ_CHECK(SameRecord(from_bytes.slots[i], from_file.slots[i]));
        FUZZ_CHECK(std::strcmp(from_bytes.slots[i].name, " ") != 0);
    }

    // Saved and read back, the board is itself: the same names, each still
    // in or out, empty fields as single spaces. (A flag byte of 128 or more
    // from a hand-edited file is written as a negative number, whose sign
    // the dash splits off: it reads back as another non-zero flag.) From
    // then on saving and reading back changes no byte.
    SortAndCompact(from_bytes);
    static char first[kBoardFileCapacity], second[kBoardFileCapacity], third[kBoardFileCapacity];
    size_t first_size = FormatBoardFile(from_bytes, first, sizeof first);
    size_t lines = 0;
    for (size_t i = 0; i < first_size; ++i) lines += first[i] == '\n';
    FUZZ_CHECK(lines == from_bytes.count);
    static UserTable reread;
    LoadBoardFromBytes(reread, first, first_size);
    reread.count = from_bytes.count;
    for (uint32_t i = 0; i < from_bytes.count; ++i) {
        const UserRecord &a = from_bytes.slots[i];
        const UserRecord &b = reread.slots[i];
        FUZZ_CHECK(std::strcmp(a.name, b.name) == 0);
        FUZZ_CHECK((a.in_out != 0) == (b.in_out != 0));
        FUZZ_CHECK(SameOrSpaceForEmpty(a.destination, b.destination));
        FUZZ_CHECK(SameOrSpaceForEmpty(a.time, b.time));
        FUZZ_CHECK(SameOrSpaceForEmpty(a.return_time, b.return_time));
    }
    size_t second_size = FormatBoardFile(reread, second, sizeof second);
    LoadBoardFromBytes(reread, second, second_size);
    size_t third_size = FormatBoardFile(reread, third, sizeof third);
    FUZZ_CHECK(second_size == third_size && std::memcmp(second, third, second_size) == 0);
    return 0;
}
