// The four deliverables carry the project's one version number, and the
// about box reads it from them as "Version major.minor.revision".
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "frmAbout.h"

namespace {

using bralto::frmAbout;
using bralto::VersionFacts;

std::wstring BinFolder() {
    wchar_t path[MAX_PATH * 2] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

class DeliverableVersion : public testing::TestWithParam<const wchar_t*> {};

TEST_P(DeliverableVersion, CarriesTheProjectVersionAndNamesBralto) {
    const VersionFacts facts = frmAbout::ReadVersionFacts(BinFolder() + GetParam());
    EXPECT_EQ(frmAbout::VersionText(facts), std::wstring(L"Version ") + BRALTO_VERSION);
    EXPECT_EQ(facts.productName, L"Bralto");
    EXPECT_FALSE(facts.description.empty());
    EXPECT_FALSE(facts.legalNotice.empty());
}

INSTANTIATE_TEST_SUITE_P(FourBinaries, DeliverableVersion,
                         testing::Values(L"Bralto.exe", L"qnrZip.exe", L"qnrz320.dll", L"qnruz320.dll"));

TEST(DeliverableVersion, EachDescribesItselfDifferently) {
    const std::wstring program = frmAbout::ReadVersionFacts(BinFolder() + L"Bralto.exe").description;
    EXPECT_EQ(program, L"Archiveur Zip pour Windows");
    EXPECT_NE(frmAbout::ReadVersionFacts(BinFolder() + L"qnrz320.dll").description,
              frmAbout::ReadVersionFacts(BinFolder() + L"qnruz320.dll").description);
}

}  // namespace
