// Names written by other systems: raw UTF-8 from Info-ZIP's zip on Linux
// and macOS, OEM names from DOS and Windows tools, Info-ZIP's Unicode Path
// and Unicode Comment fields, and names a single-byte caller cannot show.
// The archives come from Info-ZIP's zip or are crafted byte by byte with
// Python; unzip and 7-Zip say what the names are.
#include <iconv.h>

#include <set>
#include <unordered_map>

#include "ArchiveReader.h"
#include "MemberNames.h"
#include "TestSupport.h"

namespace ziptest {
namespace {

using zipcore::RunUnzipJob;

std::string Convert(const std::string& text, const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return "<iconv>";
    std::string in = text, out(text.size() * 4 + 4, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    size_t inLeft = in.size(), outLeft = out.size();
    size_t done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (done == static_cast<size_t>(-1)) return "<iconv>";
    out.resize(out.size() - outLeft);
    return out;
}

bool Latin1Char(char32_t c, std::string& out) {
    if (c > 0xFF) return false;
    out += static_cast<char>(c);
    return true;
}

// A caller as the French Windows sees it: legacy names in OEM code page
// 850, interface text in a single-byte page (Latin-1 here, which holds the
// same accented letters as ANSI 1252).
class FrenchHost : public PosixHost {
public:
    std::string DecodeMemberName(const std::string& raw, bool) override { return Convert(raw, "UTF-8", "CP850"); }
    std::string ToInterface(const std::string& utf8) override { return zipcore::EncodeForInterface(utf8, Latin1Char); }
    std::string FromInterface(const std::string& text) override { return Convert(text, "UTF-8", "LATIN1"); }
};

std::string Latin1(const std::string& utf8) { return Convert(utf8, "LATIN1", "UTF-8"); }

// Python that writes stored members with name bytes, flags, host, extra
// fields and comment exactly as given: raw_zip(path, [dict(...)]).
const char* kRawZip = R"(
import struct, zlib
def up_field(tag, stored, text, version=1, crc=None):
    body = struct.pack('<BI', version, zlib.crc32(stored) if crc is None else crc) + text
    return struct.pack('<HH', tag, len(body)) + body
def raw_zip(path, members):
    data, central = b'', b''
    for m in members:
        name, content = m['name'], m.get('data', b'x\n')
        flags, host, extra, comment = m.get('flags', 0), m.get('host', 0), m.get('extra', b''), m.get('comment', b'')
        crc = zlib.crc32(content)
        local = struct.pack('<IHHHHHIIIHH', 0x04034b50, 20, flags, 0, 0x6000, 0x5a84, crc,
                            len(content), len(content), len(name), len(extra))
        central += struct.pack('<IHHHHHHIIIHHHHHII', 0x02014b50, (host << 8) | 20, 20, flags, 0, 0x6000, 0x5a84,
                               crc, len(content), len(content), len(name), len(extra), len(comment), 0, 0,
                               0o100644 << 16 if host == 3 else 0, len(data))
        central += name + extra + comment
        data += local + name + extra + content
    end = struct.pack('<IHHHHIIH', 0x06054b50, 0, 0, len(members), len(members), len(central), len(data), 0)
    open(path, 'wb').write(data + central + end)
)";

// Member names as Info-ZIP's unzip lists them (UTF-8), files only.
std::vector<std::string> UnzipNames(const TempDir& work, const std::string& archive) {
    std::string out = work / "unzip-names.txt";
    Shell("LANG=C.UTF-8 LC_ALL=C.UTF-8 unzip -Z1 " + Quote(archive) + " > " + Quote(out) + " 2>/dev/null");
    std::vector<std::string> names;
    std::istringstream lines(ReadFile(out));
    for (std::string line; std::getline(lines, line);)
        if (!line.empty() && line.back() != '/') names.push_back(line);
    return names;
}

// The same from 7-Zip's technical listing: a Path line, then a Folder line.
std::vector<std::string> SevenZipNames(const TempDir& work, const std::string& archive) {
    std::string out = work / "7zz-names.txt";
    Shell("LANG=C.UTF-8 LC_ALL=C.UTF-8 7zz l -slt -ba " + Quote(archive) + " > " + Quote(out) + " 2>/dev/null");
    std::vector<std::string> names;
    std::istringstream lines(ReadFile(out));
    std::string path;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("Path = ", 0) == 0) path = line.substr(7);
        if (line == "Folder = -") names.push_back(path);
    }
    return names;
}

template <typename Host>
std::vector<std::string> OurNames(const std::string& archive, Host& host) {
    EXPECT_EQ(0, RunUnzipJob(ListOptions(archive), host, nullptr)) << host.AllText();
    std::vector<std::string> names;
    for (const auto& e : host.entries)
        if (!e.path.empty() && e.path.back() != '/') names.push_back(e.path);
    return names;
}

std::string Python(const std::string& body) { return std::string(kRawZip) + body; }

// ---- Info-ZIP's zip on Linux ------------------------------------------------

class InfoZipOnLinux : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(
            0, Shell("mkdir -p " + Quote(work / "src/dossier") + " && cd " + Quote(work / "src") +
                     " && printf 'crème\\n' > café.txt && printf 'été\\n' > dossier/été.txt"
                     " && LANG=C.UTF-8 zip -q -r ../unix.zip . && LANG=C.UTF-8 zip -q -P sésame ../enc.zip café.txt"));
        // What makes these archives a case of their own: raw UTF-8, no flag,
        // no Unicode Path field, host Unix.
        ASSERT_EQ(0, RunPython(work, R"(
import zipfile, struct
for i in zipfile.ZipFile('unix.zip').infolist():
    assert i.flag_bits & 0x800 == 0 and i.create_system == 3, i
    assert b'up' not in [i.extra[k:k+2] for k in range(0, len(i.extra), 2)], i
)"));
    }
    TempDir work;
    std::string archive = work / "unix.zip";
};

TEST_F(InfoZipOnLinux, NamesListAsUnzipAndSevenZipShowThem) {
    PosixHost utf8Caller;
    std::vector<std::string> ours = OurNames(archive, utf8Caller);
    EXPECT_EQ((std::vector<std::string>{"café.txt", "dossier/été.txt"}), ours);
    EXPECT_EQ(UnzipNames(work, archive), ours);
    EXPECT_EQ(SevenZipNames(work, archive), ours);

    FrenchHost french;
    EXPECT_EQ((std::vector<std::string>{Latin1("café.txt"), Latin1("dossier/été.txt")}), OurNames(archive, french));
}

TEST_F(InfoZipOnLinux, ExtractionWritesTheSameNamesAndSaysThem) {
    FrenchHost host;
    ASSERT_EQ(0, RunUnzipJob(ExtractOptions(archive, work / "out"), host, nullptr)) << host.AllText();
    EXPECT_EQ("crème\n", ReadFile(work / "out/café.txt"));
    EXPECT_EQ("été\n", ReadFile(work / "out/dossier/été.txt"));
    std::string said = host.AllText();
    EXPECT_NE(std::string::npos, said.find(Latin1(work / "out/café.txt")));
    EXPECT_NE(std::string::npos, said.find(Latin1(work / "out/dossier/été.txt")));

    // The second time, the overwrite question names the same file.
    FrenchHost again;
    zipcore::UnzipOptions options = ExtractOptions(archive, work / "out");
    options.promptToOverwrite = true;
    EXPECT_EQ(0, RunUnzipJob(options, again, nullptr));
    EXPECT_EQ((std::vector<std::string>{Latin1(work / "out/café.txt"), Latin1(work / "out/dossier/été.txt")}),
              again.replaceAsked);
}

TEST_F(InfoZipOnLinux, SelectionTestAndPasswordUseTheListedName) {
    FrenchHost host;
    zipcore::UnzipOptions options = ExtractOptions(archive, work / "one");
    options.include = {Latin1("dossier/été.txt")};
    ASSERT_EQ(0, RunUnzipJob(options, host, nullptr)) << host.AllText();
    EXPECT_TRUE(Exists(work / "one/dossier/été.txt"));
    EXPECT_FALSE(Exists(work / "one/café.txt"));

    FrenchHost tester;
    EXPECT_EQ(0, RunUnzipJob(TestOptions(archive), tester, nullptr));
    EXPECT_NE(std::string::npos, tester.AllText().find("testing: " + Latin1("café.txt") + "   OK"));

    // The password was typed as UTF-8 on Linux: a host offers that form too.
    struct Utf8Password : FrenchHost {
        std::vector<std::string> PasswordForms(const std::string& p) override { return {p, FromInterface(p)}; }
    } encrypted;
    encrypted.passwordAnswers = {Latin1("sésame")};
    ASSERT_EQ(0, RunUnzipJob(ExtractOptions(work / "enc.zip", work / "enc"), encrypted, nullptr))
        << encrypted.AllText();
    EXPECT_EQ(std::vector<std::string>{Latin1("café.txt")}, encrypted.passwordAsked);
    EXPECT_EQ("crème\n", ReadFile(work / "enc/café.txt"));
}

// ---- Which stored bytes are UTF-8 ------------------------------------------

TEST(ForeignNames, TheHostDecidesBetweenUtf8AndOem) {
    TempDir work;
    ASSERT_EQ(0, RunPython(work, Python(R"(
utf8, oem = 'café.txt'.encode('utf-8'), 'crème.txt'.encode('cp850')
members = []
for host in [0, 6, 11, 14]:  # DOS, OS/2, NTFS, VFAT: always the OEM code page
    members.append(dict(name=b'%d-' % host + utf8, host=host))
for host in [3, 19]:  # Unix, OS X: UTF-8 when the bytes are valid UTF-8
    members.append(dict(name=b'%d-' % host + utf8, host=host))
    members.append(dict(name=b'%d-' % host + oem, host=host))
members.append(dict(name=b'flag-' + utf8, host=0, flags=0x800))
raw_zip('hosts.zip', members)
)")));
    FrenchHost host;
    std::vector<std::string> names = OurNames(work / "hosts.zip", host);
    // OEM 850 reads the two UTF-8 bytes of "é" as box drawing "├" and "®".
    std::string oemReading = "caf#U251C" + Latin1("®") + ".txt";
    EXPECT_EQ(
        (std::vector<std::string>{"0-" + oemReading, "6-" + oemReading, "11-" + oemReading, "14-" + oemReading,
                                  "3-" + Latin1("café.txt"), "3-" + Latin1("crème.txt"), "19-" + Latin1("café.txt"),
                                  "19-" + Latin1("crème.txt"), "flag-" + Latin1("café.txt")}),
        names);
}

TEST(ForeignNames, UnicodePathFieldCountsOnlyWithItsCrc) {
    TempDir work;
    ASSERT_EQ(0, RunPython(work, Python(R"(
new = 'nouveau-é.txt'.encode('utf-8')
raw_zip('up.zip', [
    dict(name=b'good.txt', extra=up_field(0x7075, b'good.txt', new)),
    dict(name=b'stale.txt', extra=up_field(0x7075, b'renamed.txt', 'périmé.txt'.encode('utf-8'))),
    dict(name=b'v2.txt', extra=up_field(0x7075, b'v2.txt', 'v2-é.txt'.encode('utf-8'), version=2)),
    dict(name=b'bad-utf8.txt', extra=up_field(0x7075, b'bad-utf8.txt', b'\xff\xfe.txt')),
    dict(name='flag-é.txt'.encode('utf-8'), flags=0x800,
         extra=up_field(0x7075, 'flag-é.txt'.encode('utf-8'), b'field.txt')),
])
)")));
    std::string archive = work / "up.zip";
    PosixHost utf8Caller;
    std::vector<std::string> ours = OurNames(archive, utf8Caller);
    EXPECT_EQ((std::vector<std::string>{"nouveau-é.txt", "stale.txt", "v2.txt", "bad-utf8.txt", "flag-é.txt"}), ours);
    // Info-ZIP's own field, as Info-ZIP's unzip reads it (the invalid
    // field aside, which it shows as it is).
    std::vector<std::string> unzip = UnzipNames(work, archive);
    ASSERT_EQ(5u, unzip.size());
    EXPECT_EQ(unzip[0], ours[0]);
    EXPECT_EQ(unzip[1], ours[1]);
    EXPECT_EQ(unzip[4], ours[4]);

    FrenchHost host;
    ASSERT_EQ(0, RunUnzipJob(ExtractOptions(archive, work / "out"), host, nullptr)) << host.AllText();
    EXPECT_TRUE(Exists(work / "out/nouveau-é.txt"));
    EXPECT_TRUE(Exists(work / "out/stale.txt"));
}

TEST(ForeignNames, UnicodeCommentFieldCountsOnlyWithItsCrc) {
    TempDir work;
    ASSERT_EQ(0, RunPython(work, Python(R"(
text = 'résumé'.encode('utf-8')
raw_zip('uc.zip', [
    dict(name=b'a.txt', comment=b'r\x82sum\x82', extra=up_field(0x6375, b'r\x82sum\x82', text)),
    dict(name=b'b.txt', comment=b'changed', extra=up_field(0x6375, b'r\x82sum\x82', text)),
    dict(name=b'c.txt', comment=b'plain'),
])
)")));
    auto input = PosixHost().OpenArchive(work / "uc.zip");
    ASSERT_TRUE(input);
    zipcore::ArchiveReader reader;
    ASSERT_EQ(zipcore::OpenResult::Ok, reader.Open(*input));
    ASSERT_EQ(3u, reader.Members().size());
    EXPECT_EQ("résumé", reader.Members()[0].unicodeComment);
    EXPECT_EQ("", reader.Members()[1].unicodeComment);
    EXPECT_EQ("changed", reader.Members()[1].comment);
    EXPECT_EQ("", reader.Members()[2].unicodeComment);
}

// ---- Names the caller's code page cannot carry ------------------------------

TEST(InterfaceNames, CharactersTheCodePageLacksAreEscapedNeverLookAlikes) {
    auto encode = [](const std::string& utf8) { return zipcore::EncodeForInterface(utf8, Latin1Char); };
    EXPECT_EQ(Latin1("café.txt"), encode("café.txt"));
    EXPECT_EQ("#U03A9mega.txt", encode("Ωmega.txt"));
    EXPECT_EQ("#UFF0E#UFF0E#UFF3Cname", encode("．．＼name"));
    EXPECT_EQ("#L01F600.txt", encode("\xF0\x9F\x98\x80.txt"));
    EXPECT_EQ("#U65E5#U672C.txt", encode("日本.txt"));
    // A real name that looks like an escape is told apart.
    EXPECT_EQ("#U0023U03A9mega.txt", encode("#U03A9mega.txt"));
    EXPECT_EQ("#U0023L01F600", encode("#L01F600"));
    EXPECT_EQ("#1 #U12 #Uxyz1.txt", encode("#1 #U12 #Uxyz1.txt"));
    // Bytes that are no UTF-8 at all are escaped one by one.
    EXPECT_EQ("a#UDCFFb", encode("a\xFF"
                                 "b"));

    EXPECT_TRUE(zipcore::IsValidUtf8("café 日本 \xF0\x9F\x98\x80"));
    for (const char* bad : {"\xFF", "\xC3", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"})
        EXPECT_FALSE(zipcore::IsValidUtf8(bad)) << bad;
    EXPECT_TRUE(zipcore::HasEscapeLookAlike("a#u03a9"));
    EXPECT_FALSE(zipcore::HasEscapeLookAlike("a#U03"));
}

TEST(InterfaceNames, DistinctNamesNeverShowAsTheSameText) {
    // Every name of up to six pieces: the pieces of escapes, a character
    // the page lacks whose escape is made of them ("Ā" is "#U0100"), and a
    // byte that is no UTF-8.
    const std::vector<std::string> pieces = {"#", "U", "L", "0", "1", "\xC4\x80", "\xFF"};
    std::unordered_map<std::string, std::string> seen;  // shown text -> name
    std::vector<std::string> names = {""};
    size_t total = 0;
    for (int length = 1; length <= 6; ++length) {
        std::vector<std::string> longer;
        for (const std::string& name : names)
            for (const std::string& piece : pieces) longer.push_back(name + piece);
        for (const std::string& name : longer) {
            std::string shown = zipcore::EncodeForInterface(name, Latin1Char);
            auto [at, inserted] = seen.emplace(shown, name);
            ASSERT_TRUE(inserted) << shown << " shows both " << at->second << " and " << name;
        }
        total += longer.size();
        names = std::move(longer);
    }
    EXPECT_EQ(total, seen.size());
}

TEST(InterfaceNames, EveryMemberIsSelectedByItsListedTextAlone) {
    TempDir work;
    ASSERT_EQ(0, RunPython(work, R"(
import zipfile
with zipfile.ZipFile('greek.zip', 'w') as z:
    for n in ['Ωmega.txt', 'Omega.txt', '#U03A9mega.txt', '_mega.txt', '．．＼evil.txt', 'dossier/Ωmega.txt']:
        z.writestr(n, n)
)"));
    std::string archive = work / "greek.zip";
    FrenchHost host;
    std::vector<std::string> listed = OurNames(archive, host);
    EXPECT_EQ((std::vector<std::string>{"#U03A9mega.txt", "Omega.txt", "#U0023U03A9mega.txt", "_mega.txt",
                                        "#UFF0E#UFF0E#UFF3Cevil.txt", "dossier/#U03A9mega.txt"}),
              listed);
    EXPECT_EQ(listed.size(), std::set<std::string>(listed.begin(), listed.end()).size());
    std::vector<std::string> real = {"Ωmega.txt", "Omega.txt",      "#U03A9mega.txt",
                                     "_mega.txt", "．．＼evil.txt", "dossier/Ωmega.txt"};
    EXPECT_EQ(UnzipNames(work, archive), real);
    for (size_t i = 0; i < listed.size(); ++i) {
        SCOPED_TRACE(real[i]);
        std::string out = work / ("out" + std::to_string(i));
        FrenchHost one;
        zipcore::UnzipOptions options = ExtractOptions(archive, out);
        options.include = {listed[i]};
        ASSERT_EQ(0, RunUnzipJob(options, one, nullptr)) << one.AllText();
        // Exactly that member, under its real name, inside the folder.
        EXPECT_EQ(real[i], ReadFile(out + "/" + real[i]));
        EXPECT_EQ(0, Shell("test $(find " + Quote(out) + " -type f | wc -l) -eq 1"));
        EXPECT_EQ(std::string::npos, one.AllText().find("..")) << one.AllText();
    }
}

}  // namespace
}  // namespace ziptest
