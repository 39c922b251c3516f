// Where the name list is kept: every text written, in order.
#pragma once
#include <string>
#include <vector>

#include "client/core/name_list.h"

class RecordingNameStore : public NameStore {
  public:
    void WriteNames(const char *text) override { writes.push_back(text); }
    std::vector<std::string> writes;
};
