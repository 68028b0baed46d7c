#include "ServerLifetime.h"

#include <windows.h>
#include <objbase.h>

namespace qnr {

namespace {
void (*lastReferenceHandler)() = nullptr;
int referenceCount = 0;  // the server thread's own count: all calls arrive on it
}

void SetLastReferenceHandler(void (*handler)()) { lastReferenceHandler = handler; }

void AddServerReference() {
    ++referenceCount;
    CoAddRefServerProcess();
}

void ReleaseServerReference() {
    --referenceCount;
    // CoReleaseServerProcess suspends the class objects when it reaches zero
    // (where the platform implements it), so no new activation can slip in
    // while the loop winds down.
    if (CoReleaseServerProcess() == 0 && lastReferenceHandler) lastReferenceHandler();
}

int ServerReferenceCount() { return referenceCount; }

}  // namespace qnr
