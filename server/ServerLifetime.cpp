#include "ServerLifetime.h"

#include <windows.h>
#include <objbase.h>

namespace qnr {

namespace {
void (*lastReferenceHandler)() = nullptr;
unsigned long references = 0;
bool stopping = false;
}  // namespace

void SetLastReferenceHandler(void (*handler)()) { lastReferenceHandler = handler; }

void AddServerReference() { references = CoAddRefServerProcess(); }

void ReleaseServerReference() {
    // Wine 8 does not suspend the class objects when this count reaches
    // zero (a later activation still reaches this process), so the server
    // marks itself as stopping before anything else can be dispatched.
    references = CoReleaseServerProcess();
    StopIfUnused();
}

void StopIfUnused() {
    if (references != 0 || stopping) return;
    stopping = true;
    if (lastReferenceHandler) lastReferenceHandler();
}

unsigned long ServerReferenceCount() { return references; }

bool ServerIsStopping() { return stopping; }

}  // namespace qnr
