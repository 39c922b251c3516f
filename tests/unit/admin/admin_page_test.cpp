// The administration page embeds exactly the texts whose hashes the
// security policy names, and no attribute the policy would refuse.
#include "server/page/admin_page.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

TEST(AdminPage, EmbedsItsOwnScriptAndStyleOnly) {
    const std::string &page = AdminPage();
    EXPECT_NE(page.find(std::string("<style>") + AdminPageStyles() + "</style>"),
              std::string::npos);
    EXPECT_NE(page.find(std::string("<script>") + AdminPageScript() + "</script>"),
              std::string::npos);
    EXPECT_EQ(page.find("<script", page.find("<script") + 1), std::string::npos);
    EXPECT_FALSE(
        std::regex_search(page, std::regex("<[^>]*\\s(on[a-z]+|style)\\s*=", std::regex::icase)));
    EXPECT_EQ(page.find("src="), std::string::npos);
    EXPECT_EQ(page.find("http"), std::string::npos);
}
