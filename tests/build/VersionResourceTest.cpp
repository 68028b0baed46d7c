// The four deliverables carry the project's one version number, and the
// about box reads it from them as "Version major.minor.revision"; the
// program's manifest names its assembly with the same number.
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

// The text of Bralto.exe's manifest (RT_MANIFEST 1), "" when it has none.
std::string ProgramManifest() {
    HMODULE program = LoadLibraryExW((BinFolder() + L"Bralto.exe").c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!program) return "";
    std::string text;
    if (HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {
        if (HGLOBAL loaded = LoadResource(program, found))
            text.assign(static_cast<const char*>(LockResource(loaded)), SizeofResource(program, found));
    }
    FreeLibrary(program);
    return text;
}

TEST(DeliverableVersion, TheProgramsManifestNamesTheProjectVersion) {
    const std::wstring wide = BRALTO_VERSION;
    const std::string identity =
        "name=\"Quenor.Bralto\" version=\"" + std::string(wide.begin(), wide.end()) + ".0\"";
    EXPECT_NE(ProgramManifest().find(identity), std::string::npos) << ProgramManifest();
}

}  // namespace
