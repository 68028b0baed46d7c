#include "ServerLifetime.h"

#include <windows.h>
#include <objbase.h>

namespace qnr {

namespace {
DWORD serverThread = 0;
}

void SetServerThread(unsigned long threadId) { serverThread = threadId; }

void AddServerReference() { CoAddRefServerProcess(); }

void ReleaseServerReference() {
    // CoReleaseServerProcess suspends the class objects when it reaches zero,
    // so no new activation can slip in while the loop winds down.
    if (CoReleaseServerProcess() == 0 && serverThread != 0) PostThreadMessageW(serverThread, WM_QUIT, 0, 0);
}

}  // namespace qnr
