// The data file's directory from the chooser's answer.
#include "server/first_run/chosen_path.h"

#include "common/fixed_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ChosenPath, IsCutAtItsLastBackslashButNeverToNothing) {
    char path[64];
    CopyCut(path, "C:\\Data\\tesmar.dat");
    CutChosenPath(path);
    EXPECT_STREQ(path, "C:\\Data");
    CopyCut(path, "C:\\tesmar.dat");
    CutChosenPath(path);
    EXPECT_STREQ(path, "C:");
    CopyCut(path, "tesmar.dat");
    CutChosenPath(path);
    EXPECT_STREQ(path, "t");
    CopyCut(path, "D:\\Board\\anything.txt");
    CutChosenPath(path);
    EXPECT_STREQ(path, "D:\\Board");
}

TEST(ChosenPath, ADirectoryLongerThanTheFieldCountsAsNoChoice) {
    char dir[300] = "x";
    std::string fits = "C:\\" + std::string(296, 'd'); // 299 characters
    EXPECT_TRUE(DirectoryOfChosenFile((fits + "\\TESMAR.DAT").c_str(), dir, sizeof dir));
    EXPECT_EQ(std::string(dir), fits);
    std::string too_long = fits + "d";
    EXPECT_FALSE(DirectoryOfChosenFile((too_long + "\\TESMAR.DAT").c_str(), dir, sizeof dir));
    EXPECT_STREQ(dir, "");
}

} // namespace
