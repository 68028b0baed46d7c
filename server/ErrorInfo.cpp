#include "ErrorInfo.h"

#include "ComSupport.h"

#include <oleauto.h>

namespace qnr {

// Error numbers of automation objects travel in the FACILITY_CONTROL range,
// where clients read the low word back as the number they were raised with.
HRESULT HResultOfErrorNumber(long number) {
    return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, static_cast<unsigned>(number) & 0xFFFFu);
}

long ErrorNumberOfHResult(HRESULT hr) {
    if (HRESULT_FACILITY(hr) == FACILITY_CONTROL) return HRESULT_CODE(hr);
    return static_cast<long>(hr);
}

HRESULT RaiseAutomationError(long number, const std::wstring& source, const std::wstring& description, const IID& iid) {
    ComPtr<ICreateErrorInfo> create;
    if (SUCCEEDED(CreateErrorInfo(create.Receive()))) {
        create->SetGUID(iid);
        create->SetSource(const_cast<LPOLESTR>(source.c_str()));
        create->SetDescription(const_cast<LPOLESTR>(description.c_str()));
        ComPtr<IErrorInfo> info;
        if (SUCCEEDED(create.QueryInto(info, IID_IErrorInfo))) SetErrorInfo(0, info.Get());
    }
    return HResultOfErrorNumber(number);
}

}  // namespace qnr
