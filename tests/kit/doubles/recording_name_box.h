// A list box of names that keeps what it was given and counts its clearings.
#pragma once
#include <string>
#include <vector>

#include "client/core/name_list.h"

class RecordingNameBox : public NameBox {
  public:
    void Clear() override {
        lines.clear();
        ++clears;
    }
    void Add(const char *name) override { lines.push_back(name); }
    std::vector<std::string> lines;
    int clears = 0;
};
