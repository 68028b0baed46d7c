// The calls that set a job up before it runs: its archive, folder and
// options, and its file specifications. A server that refused one of them
// would run the job with something other than what the user chose, so a
// command notes every result, checks once after the last call, and starts
// nothing when one failed.
#pragma once

#include <windows.h>

namespace bralto {

class JobSetup {
public:
    // Notes the result of one call; the first failure is kept.
    void operator+=(HRESULT result) {
        if (SUCCEEDED(first_)) first_ = result;
    }
    bool Failed() const { return FAILED(first_); }

private:
    HRESULT first_ = S_OK;
};

}  // namespace bralto
