// Helpers of the native Zip core tests: scratch folders, running the peer
// tools (zip, unzip, 7zz, python3), and running unzip jobs.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "PosixHost.h"
#include "UnzipJob.h"

namespace ziptest {

inline std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

inline int Shell(const std::string& command) {
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline void WriteFile(const std::string& path, const std::string& data) {
    std::ofstream out(path, std::ios::binary);
    out << data;
}

inline bool Exists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

// A scratch folder removed with everything in it at the end of the test.
class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/zipcore-test-XXXXXX";
        path_ = mkdtemp(pattern);
    }
    ~TempDir() { Shell("chmod -R u+w " + Quote(path_) + " 2>/dev/null; rm -rf " + Quote(path_)); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Runs a Python script (with `work` as its current folder); returns its exit code.
inline int RunPython(const TempDir& work, const std::string& script) {
    std::string file = work / "script.py";
    WriteFile(file, script);
    return Shell("cd " + Quote(work.path()) + " && python3 script.py");
}

// Lists the archive with Python's zipfile: one line per member,
// name|file_size|compress_size|CRC|Y-M-D h:m|compress_type|encrypted, the
// compressed size without the 12-byte encryption header, as Info-ZIP lists it.
inline std::string PythonListing(const TempDir& work, const std::string& archive) {
    std::string out = work / "listing.txt";
    RunPython(work,
              "import zipfile\n"
              "with zipfile.ZipFile(" +
                  ("'" + archive + "'") + ") as z, open('" + out +
                  "', 'w', encoding='utf-8') as f:\n"
                  "    for i in z.infolist():\n"
                  "        if i.is_dir(): continue\n"
                  "        d = i.date_time\n"
                  "        f.write('%s|%d|%d|%d|%d-%d-%d %d:%d|%d|%d\\n' % (i.filename, i.file_size, i.compress_size - "
                  "12 * (i.flag_bits & 1),"
                  " i.CRC, d[0], d[1], d[2], d[3], d[4], i.compress_type, i.flag_bits & 1))\n");
    return ReadFile(out);
}

// The same line for our listing entries, for comparison.
inline std::string OurListing(const std::vector<zipcore::ListingEntry>& entries) {
    std::string text;
    for (const auto& e : entries) {
        if (!e.path.empty() && e.path.back() == '/') continue;
        int method = e.method == "Stored"              ? 0
                     : e.method.rfind("Defl:", 0) == 0 ? 8
                     : e.method == "BZip2"             ? 12
                     : e.method == "LZMA"              ? 14
                     : e.method == "Def64#"            ? 9
                                                       : -1;
        text += e.path + "|" + std::to_string(e.uncompressedSize) + "|" + std::to_string(e.compressedSize) + "|" +
                std::to_string(e.crc32) + "|" + std::to_string(e.modified.year) + "-" +
                std::to_string(e.modified.month) + "-" + std::to_string(e.modified.day) + " " +
                std::to_string(e.modified.hour) + ":" + std::to_string(e.modified.minute) + "|" +
                std::to_string(method) + "|" + (e.encrypted ? "1" : "0") + "\n";
    }
    return text;
}

inline zipcore::UnzipOptions ListOptions(const std::string& archive) {
    zipcore::UnzipOptions o;
    o.archivePath = archive;
    o.list = true;
    return o;
}

inline zipcore::UnzipOptions TestOptions(const std::string& archive) {
    zipcore::UnzipOptions o;
    o.archivePath = archive;
    o.test = true;
    return o;
}

inline zipcore::UnzipOptions ExtractOptions(const std::string& archive, const std::string& folder) {
    zipcore::UnzipOptions o;
    o.archivePath = archive;
    o.extractDir = folder;
    o.keepFolders = true;
    return o;
}

// Files of a folder tree, relative paths sorted, with their contents' size:
// equal trees give equal texts.
inline std::string TreeDigest(const std::string& folder) {
    std::string out = folder + "/../tree-digest.txt";
    Shell("cd " + Quote(folder) + " && find . -type f -print0 | sort -z | xargs -0 -r sha256sum > " + Quote(out));
    return ReadFile(out);
}

}  // namespace ziptest
