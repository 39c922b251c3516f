#include "tests/e2e/faults/wine_run.h"

#include <dirent.h>
#include <sys/stat.h>

namespace faults {

bool IsDirectory(const std::string &path) {
    struct stat s;
    return stat(path.c_str(), &s) == 0 && S_ISDIR(s.st_mode);
}

std::vector<std::string> ListDirectory(const std::string &path) {
    std::vector<std::string> names;
    DIR *dir = opendir(path.c_str());
    if (!dir) return names;
    while (dirent *entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
    return names;
}

std::string WindowsTestProgram(const std::string &name) {
    return e2e::WindowsBuildDir() + "/tests/drivers/" + name + ".exe";
}

} // namespace faults
