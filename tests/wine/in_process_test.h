// What every in-process test under Wine starts from: a scratch directory of
// its own, and HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER redirected to
// private keys, so that whatever the programs store lands where only this
// test sees it and the prefix's own keys are never touched.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "tests/kit/files.h"
#include "tests/kit/scratch_dir.h"

// Delivers the window messages waiting for this thread.
void PumpMessages();
// Delivers messages until done() or the deadline; returns done().
bool PumpUntil(const std::function<bool()> &done, int timeout_ms);
// Delivers messages for a while.
void PumpFor(int ms);

class InProcessTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A fresh directory under the scratch directory (Windows path, no
    // trailing backslash).
    std::string MakeDirectory(const std::string &name);
    static void WriteFile(const std::string &path, const std::string &bytes);
    static bool Exists(const std::string &path);

    // A string value as stored under the machine's private key (the one the
    // test started with, even once it is made read-only), or "<missing>".
    std::string StoredMachineValue(const char *key_path, const char *name) const;
    // Makes the machine's store refuse writes (as for a member who may not
    // write under HKEY_LOCAL_MACHINE).
    void MakeMachineStoreReadOnly();

    std::string scratch; // the test's own directory (Windows path)

  private:
    void Unredirect();
    std::optional<ScratchDir> scratch_dir_;
    std::string sandbox_;
    HKEY root_ = nullptr; // the private keys' parent
    HKEY machine_ = nullptr;
    HKEY member_ = nullptr;
};
