// Where each fault test keeps its files: a directory of its own below the
// build tree (on the same file system as the Wine prefixes it clones).
#pragma once
#include <string>

#ifndef FAULTS_RUN_DIR
#error "FAULTS_RUN_DIR must name the folder for the tests' files"
#endif

namespace faults {

inline std::string RunDir(const std::string &name) {
    return std::string(FAULTS_RUN_DIR) + "/" + name;
}

} // namespace faults
