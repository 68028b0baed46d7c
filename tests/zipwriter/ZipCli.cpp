// zipcore_cli [-0..-9] [-j threads] ARCHIVE FOLDER...: adds the folders,
// recursively, with the portable writer. The benchmark's driver.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "PosixHost.h"

int main(int argc, char** argv) {
    zipcore::ZipJobOptions options;
    int arg = 1;
    for (; arg < argc && argv[arg][0] == '-'; ++arg) {
        if (std::strcmp(argv[arg], "-j") == 0 && arg + 1 < argc) {
            options.threads = static_cast<unsigned>(std::atoi(argv[++arg]));
        } else if (argv[arg][1] >= '0' && argv[arg][1] <= '9' && argv[arg][2] == '\0') {
            options.level = argv[arg][1] - '0';
        } else {
            std::fprintf(stderr, "unknown option %s\n", argv[arg]);
            return 16;
        }
    }
    if (argc - arg < 2) {
        std::fprintf(stderr, "usage: zipcore_cli [-0..-9] [-j threads] ARCHIVE FOLDER...\n");
        return 16;
    }
    std::string archive = argv[arg++];
    std::vector<zipcore::SourceFile> sources;
    for (; arg < argc; ++arg) {
        std::filesystem::path folder(argv[arg]);
        // Stored names start with the folder's own name, as "zip -r" does.
        for (zipcore::SourceFile source : ziptest::CollectSources(folder.string())) {
            source.info.storedName = folder.filename().string() + "/" + source.info.storedName;
            source.displayName = source.info.storedName;
            sources.push_back(source);
        }
    }
    ziptest::PosixHost host;
    int result = zipcore::RunZipJob(options, sources, {}, archive, host);
    if (result != 0) std::fprintf(stderr, "%s", host.Transcript().c_str());
    return result;
}
