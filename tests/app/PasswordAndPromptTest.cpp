// The check of the password definition window and the answers of the
// overwrite window.
#include <gtest/gtest.h>

#include "frmPrompt.h"
#include "frmPwdGive.h"

namespace bralto {
namespace {

TEST(PasswordCheck, AcceptsOnlyEqualNonEmptyPasswords) {
    std::vector<std::wstring> asked;
    auto retry = [&](const std::wstring& q) {
        asked.push_back(q);
        return true;
    };
    auto giveUp = [&](const std::wstring& q) {
        asked.push_back(q);
        return false;
    };
    EXPECT_EQ(frmPwdGive::Check(L"secret", L"secret", retry), 0);
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(frmPwdGive::Check(L"secret", L"Secret", retry), 1);  // letter case counts
    EXPECT_EQ(frmPwdGive::Check(L"secret", L"other", giveUp), 2);
    EXPECT_EQ(frmPwdGive::Check(L"", L"", retry), 1);
    EXPECT_EQ(frmPwdGive::Check(L"", L"", giveUp), 2);
    ASSERT_EQ(asked.size(), 4u);
    EXPECT_EQ(asked[0], L"Mot de passe et sa confirmation différents.\r\nRecommencer ?");
    EXPECT_EQ(asked[2], L"Saisir un mot de passe.");
}

TEST(OverwritePrompt, TagsAreTheJobCodesAndAnEmptyTagKeepsTheFile) {
    EXPECT_EQ(frmPrompt::ResponseOf(L"102"), 102);
    EXPECT_EQ(frmPrompt::ResponseOf(L"100"), 100);
    EXPECT_EQ(frmPrompt::ResponseOf(L"103"), 103);
    EXPECT_EQ(frmPrompt::ResponseOf(L"104"), 104);
    EXPECT_EQ(frmPrompt::ResponseOf(L""), 100);
    EXPECT_EQ(frmPrompt::ResponseOf(L"junk"), 100);
}

}  // namespace
}  // namespace bralto
