// The process lives as long as one of its top-level windows is open: each
// window counts itself in when created and out when destroyed, and the last
// one out ends the message loop.
#pragma once

namespace bralto {

void TopLevelWindowOpened();
void TopLevelWindowClosed();
int OpenTopLevelWindows();

}  // namespace bralto
