#include "ServerLifetime.h"

#include <windows.h>
#include <objbase.h>

namespace qnr {

namespace {
void (*lastReferenceHandler)() = nullptr;
}

void SetLastReferenceHandler(void (*handler)()) { lastReferenceHandler = handler; }

void AddServerReference() { CoAddRefServerProcess(); }

void ReleaseServerReference() {
    // CoReleaseServerProcess suspends the class objects when it reaches zero,
    // so no new activation can slip in while the loop winds down.
    if (CoReleaseServerProcess() == 0 && lastReferenceHandler) lastReferenceHandler();
}

}  // namespace qnr
