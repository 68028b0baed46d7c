// The French text a user is shown for a result code of the zip library
// (ZE_ codes of zip_api.h) or of the unzip library (PK_ and IZ_ codes of
// unzip_api.h), in the manner of zlib's zError. The main window, the jobs
// and the express extraction window all take their messages from here.
#pragma once

#include <string>

namespace bralto {

// The message for a zip or delete job's result; empty for the codes that
// are shown nothing (success, a stop on request, and the codes the user
// can do nothing about: 1, 6 to 9, 17 and any unknown code).
std::wstring ZipResultText(int code);

// The message for an extraction's or a test's result; empty for success
// and for a stop on request (IZ_CTRLC).
std::wstring UnzipResultText(int code);

// What went wrong in an extraction, as far as the unzip library's result
// code alone tells (a damaged or missing archive, a full disk, an
// unsupported method, a wrong password, no memory); empty for the codes
// that do not tell, which the caller explains from the library's messages.
std::wstring UnzipFailureDetail(int code);

}  // namespace bralto
