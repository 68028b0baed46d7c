#include "AppLifetime.h"

#include <windows.h>

namespace bralto {

namespace {
int g_openWindows = 0;
}

void TopLevelWindowOpened() { ++g_openWindows; }

void TopLevelWindowClosed() {
    if (--g_openWindows == 0) PostQuitMessage(0);
}

int OpenTopLevelWindows() { return g_openWindows; }

}  // namespace bralto
