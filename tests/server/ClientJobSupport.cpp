#include "ClientJobSupport.h"

#include <gtest/gtest.h>

namespace {

template <class Handlers>
Handlers RecordingHandlers(EventLog& log) {
    Handlers handlers;
    handlers.Progress = [&log](const std::wstring& line) { log.lines.push_back(L"Progress:" + line); };
    handlers.Cancel = [&log](const std::wstring& entry, bool&) { log.lines.push_back(L"Cancel:" + entry); };
    handlers.Complete = [&log](long result) {
        log.lines.push_back(L"Complete:" + std::to_wstring(result));
        log.result = result;
        ++log.completes;
    };
    return handlers;
}

}  // namespace

ZipEventHandlers RecordingZipHandlers(EventLog& log) { return RecordingHandlers<ZipEventHandlers>(log); }

UnzipEventHandlers RecordingUnzipHandlers(EventLog& log) { return RecordingHandlers<UnzipEventHandlers>(log); }

bool WaitForCompletes(const EventLog& log, int count) {
    return PumpUntil([&] { return log.completes >= count; });
}

void RoundTripToServer() {
    AsyncUnzip probe{UnzipEventHandlers{}};
    ASSERT_HRESULT_SUCCEEDED(probe.Create());
    LONG count = -1;
    ASSERT_HRESULT_SUCCEEDED(probe->get_FileCount(&count));
    PumpUntil([] { return false; }, 200);
}

LateBoundError ReadIndexedLateBound(IDispatch* object, const wchar_t* name, long index) {
    LateBoundError error;
    DISPID id = 0;
    LPOLESTR names = const_cast<LPOLESTR>(name);
    error.result = object->GetIDsOfNames(IID_NULL, &names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(error.result)) return error;
    VARIANTARG argument;
    VariantInit(&argument);
    V_VT(&argument) = VT_I4;
    V_I4(&argument) = index;
    DISPPARAMS parameters{&argument, nullptr, 1, 0};
    qnr::Variant result;
    EXCEPINFO exception{};
    error.result = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &parameters, result.Get(),
                                  &exception, nullptr);
    error.code = exception.scode;
    error.source = qnr::FromBstr(exception.bstrSource);
    error.description = qnr::FromBstr(exception.bstrDescription);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    return error;
}
