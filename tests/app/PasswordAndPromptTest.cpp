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

TEST(OverwritePrompt, AnswersAreTheJobCodesAndNoAnswerKeepsTheFile) {
    EXPECT_EQ(frmPrompt::kCodes[0], 102);
    EXPECT_EQ(frmPrompt::kCodes[1], 100);
    EXPECT_EQ(frmPrompt::kCodes[2], 103);
    EXPECT_EQ(frmPrompt::kCodes[3], 104);
    // A question that cannot be shown (its owner is no window) gets no
    // answer, and the file is kept.
    const HWND noWindow = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7FFFFFF0));
    ASSERT_FALSE(IsWindow(noWindow));
    EXPECT_EQ(frmPrompt::Ask(noWindow, L"C:\\x\\d.txt", nullptr, true), 100);
}

}  // namespace
}  // namespace bralto
