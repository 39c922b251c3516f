// The data file's directory from the path the directory chooser answers
// with (the save-file dialog gives a file, TESMAR.DAT in the directory).
#pragma once
#include <cstddef>

// The directory part of a chosen file's path, in place: everything from the
// last backslash on is removed, the first character never is
// (C:\Data\tesmar.dat gives C:\Data, C:\tesmar.dat gives C:, a path without
// a backslash keeps its first character).
void CutChosenPath(char *path);

// The directory of the chosen file path into dir (capacity bytes). Returns
// false, with dir empty, when the directory does not fit whole: a cut path
// would put the data file somewhere else.
bool DirectoryOfChosenFile(const char *chosen, char *dir, size_t capacity);
