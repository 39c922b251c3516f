#include "server/first_run/chosen_path.h"

#include <cstring>

#include "common/fixed_text.h"

void CutChosenPath(char *path) {
    size_t length = std::strlen(path);
    while (length > 1) {
        --length;
        char removed = path[length];
        path[length] = '\0';
        if (removed == '\\') break;
    }
}

bool DirectoryOfChosenFile(const char *chosen, char *dir, size_t capacity) {
    char path[400];
    CopyCut(path, chosen);
    CutChosenPath(path);
    if (std::strlen(path) + 1 > capacity) {
        if (capacity) dir[0] = '\0';
        return false;
    }
    CopyCut(dir, capacity, path);
    return true;
}
