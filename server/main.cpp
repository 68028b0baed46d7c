// qnrZip: the out-of-process automation server that runs Bralto's zip and
// unzip jobs. It shows no window.
//
//   qnrZip.exe /regserver     register classes and type libraries
//   qnrZip.exe /unregserver   remove them
//   qnrZip.exe -Embedding     started by COM: serve until the last object goes
//
// /machine or /user beside /regserver or /unregserver chooses the scope, as
// the installer does to match a per-machine or a per-user install; without
// either, the machine when it is writable, else the user.
// Started with no switch it registers itself, as servers traditionally do.
// The exit code is 0 on success, 1 on failure.
#include "ClassFactory.h"
#include "ComSupport.h"
#include "Registration.h"
#include "ServerLifetime.h"
#include "TextCase.h"
#include "cAsyncUnzip.h"
#include "cAsyncZip.h"
#include "mStart.h"

#include <windows.h>

#include <string>
#include <utility>

namespace {

bool HasSwitch(const std::wstring& commandLine, const wchar_t* name) {
    const std::wstring lowered = bralto::Lower(commandLine);
    return lowered.find(std::wstring(L"/") + name) != std::wstring::npos ||
           lowered.find(std::wstring(L"-") + name) != std::wstring::npos;
}

// Revokes a class object registration when the server stops.
class ClassRegistration {
public:
    ClassRegistration(const CLSID& id, IUnknown* factory) {
        result_ =
            CoRegisterClassObject(id, factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE | REGCLS_SUSPENDED, &cookie_);
    }
    ClassRegistration(const ClassRegistration&) = delete;
    ClassRegistration& operator=(const ClassRegistration&) = delete;
    ~ClassRegistration() { Revoke(); }
    HRESULT Result() const { return result_; }
    void Revoke() {
        if (SUCCEEDED(result_) && cookie_ != 0) CoRevokeClassObject(std::exchange(cookie_, 0));
    }

private:
    HRESULT result_;
    DWORD cookie_ = 0;
};

ClassRegistration* zipClassRegistration = nullptr;
ClassRegistration* unzipClassRegistration = nullptr;

// How long the server goes on answering (with refusals) after it withdrew
// its class objects. A client that found a class object just before the
// withdrawal gets CO_E_SERVER_STOPPING from a live process, never a call
// into one that has ended.
constexpr UINT kStopGraceMs = 500;

// The loop ends once nothing lives and nothing waits to start. The factories
// refuse everything while stopping, so the count stays at zero; it is
// checked again all the same, as ending with a live object would leave its
// client waiting for a Complete that never comes.
void CALLBACK EndServingWhenIdle(HWND, UINT, UINT_PTR timerId, DWORD) {
    if (qnr::ServerReferenceCount() != 0 || qnr::PendingJobCount() != 0) return;
    KillTimer(nullptr, timerId);
    PostQuitMessage(0);
}

// The last object or lock is gone: no new activation may reach this
// process any more (revoking may itself pump messages, and the factories
// already refuse), and the loop ends after the grace period.
void StopServing() {
    if (zipClassRegistration) zipClassRegistration->Revoke();
    if (unzipClassRegistration) unzipClassRegistration->Revoke();
    SetTimer(nullptr, 0, kStopGraceMs, EndServingWhenIdle);
}

// A server that no client used this long after it started was started by
// an activation that another server answered: it ends like any other.
constexpr UINT kUnusedStartMs = 5000;

void CALLBACK StopIfNeverUsed(HWND, UINT, UINT_PTR timerId, DWORD) {
    KillTimer(nullptr, timerId);
    qnr::StopIfUnused();
}

int Serve() {
    static qnr::ClassFactory<qnr::cAsyncZip> zipFactory;
    static qnr::ClassFactory<qnr::cAsyncUnzip> unzipFactory;
    ClassRegistration zipClass(CLSID_cAsyncZip, &zipFactory);
    ClassRegistration unzipClass(CLSID_cAsyncUnzip, &unzipFactory);
    if (FAILED(zipClass.Result()) || FAILED(unzipClass.Result())) return 1;
    zipClassRegistration = &zipClass;
    unzipClassRegistration = &unzipClass;
    qnr::SetLastReferenceHandler(StopServing);
    if (FAILED(CoResumeClassObjects())) return 1;
    SetTimer(nullptr, 0, kUnusedStartMs, StopIfNeverUsed);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    qnr::SetLastReferenceHandler(nullptr);
    zipClassRegistration = nullptr;
    unzipClassRegistration = nullptr;
    return 0;
}

qnr::RegistrationScope ScopeOf(const std::wstring& arguments) {
    if (HasSwitch(arguments, L"machine")) return qnr::RegistrationScope::Machine;
    if (HasSwitch(arguments, L"user")) return qnr::RegistrationScope::User;
    return qnr::RegistrationScope::Automatic;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    qnr::ComApartment apartment;
    if (FAILED(apartment.Result())) return 1;

    const std::wstring arguments = commandLine ? commandLine : L"";
    const qnr::RegistrationScope scope = ScopeOf(arguments);
    if (HasSwitch(arguments, L"unregserver")) return SUCCEEDED(qnr::UnregisterServer(scope)) ? 0 : 1;
    if (HasSwitch(arguments, L"regserver")) return SUCCEEDED(qnr::RegisterServer(scope)) ? 0 : 1;
    if (HasSwitch(arguments, L"embedding") || HasSwitch(arguments, L"automation")) return Serve();
    return SUCCEEDED(qnr::RegisterServer(qnr::RegistrationScope::Automatic)) ? 0 : 1;
}
