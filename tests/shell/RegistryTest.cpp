// cRegistry against the real registry of the Wine prefix: values of every
// type, errors raised with their numbers, and REGEDIT4 exports read back.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

#include "AutomationError.h"
#include "cRegistry.h"

namespace {

using bralto::cRegistry;
using bralto::RegistryValue;

const wchar_t kTestKey[] = L"Software\\Bralto essais registre";
const wchar_t kTestExtension[] = L".braltoessai";

std::string ReadFileBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

std::wstring TempFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

class RegistryTest : public ::testing::Test {
protected:
    cRegistry reg;
    void SetUp() override {
        Clean();
        reg.SetClassKey(cRegistry::kCurrentUser);
        reg.SetSectionKey(kTestKey);
    }
    void TearDown() override { Clean(); }
    static void Clean() {
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kTestExtension);
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Bralto.Essai");
    }
    void Write(const std::wstring& name, DWORD type, const RegistryValue& value) {
        reg.SetValueKey(name);
        reg.SetValueType(type);
        reg.SetValue(value);
    }
    DWORD StoredType(const std::wstring& name) {
        DWORD type = 0;
        RegGetValueW(HKEY_CURRENT_USER, kTestKey, name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, nullptr);
        return type;
    }
};

TEST_F(RegistryTest, ValuesOfEachTypeRoundTrip) {
    Write(L"Texte", REG_SZ, std::wstring(L"Données é"));
    Write(L"Nombre", REG_DWORD, int32_t{-5});
    Write(L"Court", REG_DWORD, int16_t{300});
    Write(L"Octets", REG_BINARY, std::vector<uint8_t>{1, 2, 255});

    reg.SetValueKey(L"Texte");
    EXPECT_EQ(reg.Value(), RegistryValue(std::wstring(L"Données é")));
    EXPECT_EQ(reg.ValueType(), static_cast<DWORD>(REG_SZ));
    reg.SetValueKey(L"Nombre");
    EXPECT_EQ(reg.Value(), RegistryValue(int32_t{-5}));
    EXPECT_EQ(reg.ValueType(), static_cast<DWORD>(REG_DWORD));
    reg.SetValueKey(L"Court");
    EXPECT_EQ(reg.Value(), RegistryValue(int32_t{300}));
    reg.SetValueKey(L"Octets");
    EXPECT_EQ(reg.Value(), RegistryValue(std::vector<uint8_t>{1, 2, 255}));
    EXPECT_EQ(reg.ValueType(), static_cast<DWORD>(REG_BINARY));
}

TEST_F(RegistryTest, MissingValueGivesTheDefaultAndNeverThrows) {
    reg.SetDefault(std::wstring(L"rien"));
    reg.SetValueKey(L"Absent");
    EXPECT_EQ(reg.Value(), RegistryValue(std::wstring(L"rien")));
    reg.SetSectionKey(L"Software\\Clé qui n'existe pas");
    EXPECT_EQ(reg.Value(), RegistryValue(std::wstring(L"rien")));
}

TEST_F(RegistryTest, TextWithTwoPercentSignsIsStoredExpandableAndReadExpanded) {
    SetEnvironmentVariableW(L"BRALTO_ESSAI", L"valeur");
    Write(L"Chemin", REG_SZ, std::wstring(L"%BRALTO_ESSAI%\\x"));
    EXPECT_EQ(StoredType(L"Chemin"), static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(reg.Value(), RegistryValue(std::wstring(L"valeur\\x")));
    Write(L"Pourcent", REG_SZ, std::wstring(L"50%%"));  // the second sign is right after the first
    EXPECT_EQ(StoredType(L"Pourcent"), static_cast<DWORD>(REG_SZ));
}

TEST_F(RegistryTest, BigEndianNumberIsReadWithBytesReversed) {
    reg.CreateKey();
    const BYTE bytes[4] = {0x12, 0x34, 0x56, 0x78};
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kTestKey, L"BE", REG_DWORD_BIG_ENDIAN, bytes, 4), ERROR_SUCCESS);
    reg.SetValueKey(L"BE");
    EXPECT_EQ(reg.Value(), RegistryValue(int32_t{0x12345678}));
    EXPECT_EQ(reg.ValueType(), static_cast<DWORD>(REG_DWORD_BIG_ENDIAN));
}

TEST_F(RegistryTest, NonIntegerWrittenAsNumberWritesNothing) {
    Write(L"Nombre", REG_DWORD, std::wstring(L"12"));
    reg.SetDefault(std::wstring(L"absent"));
    EXPECT_EQ(reg.Value(), RegistryValue(std::wstring(L"absent")));
}

TEST_F(RegistryTest, FailuresRaiseNumberedErrorsFromTheClass) {
    reg.SetSectionKey(L"Software\\Clé qui n'existe pas");
    try {
        reg.DeleteKey();
        FAIL() << "no error raised";
    } catch (const bralto::AutomationError& e) {
        EXPECT_EQ(e.Number(), bralto::kRegistryError);
        EXPECT_EQ(e.Source(), bralto::ExecutableBaseName() + L".cRegistry");
        EXPECT_EQ(e.Description(),
                  L"Failed to delete registry Key: '-2147483647',Section: 'Software\\Clé qui n'existe pas");
    }
    EXPECT_THROW(reg.DeleteValue(), bralto::AutomationError);

    reg.SetSectionKey(kTestKey);
    reg.SetValueKey(L"Octets");
    reg.SetValueType(REG_BINARY);
    EXPECT_THROW(reg.SetValue(std::wstring(L"pas des octets")), bralto::AutomationError);
    reg.SetValueType(REG_QWORD);
    try {
        reg.SetValue(int32_t{1});
        FAIL() << "no error raised";
    } catch (const bralto::AutomationError& e) {
        EXPECT_EQ(e.Number(), bralto::kRegistryWriteError);
    }
}

TEST_F(RegistryTest, KeysAreCreatedTestedEnumeratedAndDeleted) {
    EXPECT_FALSE(reg.KeyExists());
    std::vector<std::wstring> names{L"reste"};
    EXPECT_FALSE(reg.EnumerateValues(names));
    EXPECT_TRUE(names.empty());

    EXPECT_TRUE(reg.CreateKey());
    EXPECT_TRUE(reg.KeyExists());
    Write(L"a", REG_SZ, std::wstring(L"1"));
    Write(L"b", REG_SZ, std::wstring(L"2"));
    reg.SetSectionKey(std::wstring(kTestKey) + L"\\Sous");
    reg.CreateKey();
    reg.SetSectionKey(kTestKey);
    EXPECT_TRUE(reg.EnumerateValues(names));
    EXPECT_EQ(names, (std::vector<std::wstring>{L"a", L"b"}));
    EXPECT_TRUE(reg.EnumerateSections(names));
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Sous"}));

    reg.SetValueKey(L"a");
    EXPECT_TRUE(reg.DeleteValue());
    reg.SetSectionKey(std::wstring(kTestKey) + L"\\Sous");
    EXPECT_TRUE(reg.DeleteKey());
    EXPECT_FALSE(reg.KeyExists());
}

TEST_F(RegistryTest, ExportOfAKeyTreeIsRegedit4BreadthFirst) {
    reg.SetClassKey(cRegistry::kClassesRoot);
    reg.SetSectionKey(kTestExtension);
    reg.SetValueKey(L"");
    reg.SetValueType(REG_SZ);
    reg.SetValue(std::wstring(L"AutreProgramme.Archive"));
    reg.SetSectionKey(std::wstring(kTestExtension) + L"\\ShellNew");
    reg.SetValueKey(L"Command");
    reg.SetValue(std::wstring(L"C:\\Autre\\autre.exe /n \"%2\""));
    reg.SetSectionKey(kTestExtension);
    reg.SetValueKey(L"");

    const std::wstring path = TempFile(L"Undo essai.reg");
    ASSERT_TRUE(reg.ExportToRegFile(path));
    EXPECT_EQ(reg.SectionKey(), kTestExtension) << "section restored after the export";
    auto lines = Lines(ReadFileBytes(path));
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0], "REGEDIT4");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2].rfind(";fichier g\xe9n\xe9r\xe9 par shell_tests le ", 0), 0u) << lines[2];
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(lines[4], "[HKEY_CLASSES_ROOT\\.braltoessai]");
    EXPECT_EQ(lines[5], "@=\"AutreProgramme.Archive\"");
    EXPECT_EQ(lines[6], "");
    EXPECT_EQ(lines[7], "[HKEY_CLASSES_ROOT\\.braltoessai\\ShellNew]");
    EXPECT_EQ(lines[8], "\"Command\"=\"C:\\\\Autre\\\\autre.exe /n \\\"%2\\\"\"");
    EXPECT_EQ(lines[9], "");
    DeleteFileW(path.c_str());
}

TEST_F(RegistryTest, ExportWrapsLongBinaryValuesAndWritesNumbers) {
    std::vector<uint8_t> bytes(40);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
    Write(L"Bin", REG_BINARY, bytes);
    Write(L"N", REG_DWORD, int32_t{0xABCD});
    reg.SetValueKey(L"");
    const std::wstring path = TempFile(L"binaire.reg");
    ASSERT_TRUE(reg.ExportToRegFile(path));
    auto lines = Lines(ReadFileBytes(path));
    std::vector<std::string> binary;
    std::string number;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].rfind("\"Bin\"=hex:", 0) == 0) binary = {lines[i], lines[i + 1]};
        if (lines[i].rfind("\"N\"=", 0) == 0) number = lines[i];
    }
    ASSERT_EQ(binary.size(), 2u);
    EXPECT_EQ(binary[0].substr(binary[0].size() - 2), ",\\");
    EXPECT_EQ(binary[1].substr(0, 2), "  ");
    EXPECT_NE(binary[1].back(), ',');
    std::string hex = binary[0].substr(10, binary[0].size() - 11) + binary[1].substr(2);
    std::string expected;
    for (size_t i = 0; i < bytes.size(); ++i) {
        char b[4];
        snprintf(b, sizeof b, "%02x", bytes[i]);
        expected += b;
        if (i + 1 < bytes.size()) expected += ",";
    }
    EXPECT_EQ(hex, expected);
    EXPECT_EQ(number, "\"N\"=dword:0000abcd");
    DeleteFileW(path.c_str());
}

TEST_F(RegistryTest, ExportOfAMissingKeyFailsAndWritesNothing) {
    const std::wstring path = TempFile(L"absent.reg");
    DeleteFileW(path.c_str());
    reg.SetSectionKey(L"Software\\Clé qui n'existe pas");
    EXPECT_FALSE(reg.ExportToRegFile(path));
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(RegistryTest, ExeAssociationWritesTheClassAndItsVerbs) {
    cRegistry::Association a;
    a.exePath = L"C:\\Program Files\\Essai\\essai.exe";
    a.className = L"Bralto.Essai";
    a.classDescription = L"Archive d'essai";
    a.extension = L"braltoessai";
    a.supportNew = true;
    reg.CreateEXEAssociation(a);
    cRegistry r;
    r.SetClassKey(cRegistry::kClassesRoot);
    auto text = [&](const std::wstring& section) {
        r.SetSectionKey(section);
        r.SetValueKey(L"");
        return bralto::RegistryValueText(r.Value());
    };
    EXPECT_EQ(text(kTestExtension), L"Bralto.Essai");
    EXPECT_EQ(text(L"Bralto.Essai"), L"Archive d'essai");
    EXPECT_EQ(text(L"Bralto.Essai\\shell\\open"), L"&Open");
    EXPECT_EQ(text(L"Bralto.Essai\\shell\\open\\command"), L"\"C:\\Program Files\\Essai\\essai.exe\" \"%1\"");
    EXPECT_EQ(text(L"Bralto.Essai\\shell\\new\\command"), L"\"C:\\Program Files\\Essai\\essai.exe\" /n \"%1\"");
    EXPECT_EQ(text(L"Bralto.Essai\\DefaultIcon"), L"C:\\Program Files\\Essai\\essai.exe,0");
    r.SetSectionKey(L"Bralto.Essai\\shell\\print");
    EXPECT_FALSE(r.KeyExists());

    reg.CreateAdditionalEXEAssociations(L"Bralto.Essai", {L"extract", L"Extraire", L"essai.exe /x \"%1\""});
    EXPECT_EQ(text(L"Bralto.Essai\\shell\\extract\\command"), L"essai.exe /x \"%1\"");
    EXPECT_THROW(reg.CreateAdditionalEXEAssociations(L"Bralto.Essai", {L"a", L"b"}), bralto::AutomationError);
    EXPECT_THROW(reg.CreateAdditionalEXEAssociations(L"Classe.Absente", {L"a", L"b", L"c"}), bralto::AutomationError);
}

}  // namespace
