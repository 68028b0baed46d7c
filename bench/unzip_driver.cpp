// Command-line driver of the Zip core's unzip job for the benchmark:
//   unzip_driver x ARCHIVE FOLDER   extract everything (overwrite)
//   unzip_driver t ARCHIVE          test everything
// Prints nothing but errors; exits with the job's code. An encrypted
// member gets the password in BENCH_PASSWORD (AES through OpenSSL here).
#include <cstdio>
#include <cstdlib>

#include "OpenSslCrypto.h"
#include "PosixHost.h"

int main(int argc, char** argv) {
    if (argc < 3 || (argv[1][0] == 'x' && argc < 4)) {
        std::fprintf(stderr, "usage: unzip_driver x ARCHIVE FOLDER | t ARCHIVE\n");
        return 10;
    }
    zipcore::UnzipOptions options;
    options.archivePath = argv[2];
    options.test = argv[1][0] == 't';
    options.keepFolders = true;
    options.overwrite = true;
    options.quiet = 2;
    if (!options.test) options.extractDir = argv[3];
    ziptest::PosixHost host;
    ziptest::OpenSslCrypto crypto;
    host.crypto = &crypto;
    if (const char* password = std::getenv("BENCH_PASSWORD")) host.passwordAnswers = {password};
    int code = zipcore::RunUnzipJob(options, host, nullptr);
    if (code != 0)
        for (const std::string& line : host.printed) std::fputs(line.c_str(), stderr);
    return code;
}
