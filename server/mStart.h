// Deferred start of accepted jobs. `Zip`/`unzip` only queue their object
// here and return; a 1 ms thread timer then runs the queued objects one
// after the other from the server's message loop, so a job always starts
// after the call that accepted it has returned to the client.
#pragma once

#include <windows.h>

#include "Runnable.h"

namespace qnr {

// Locks `job` against release (CoLockObjectExternal), appends it to
// PendingJobs and arms the start timer when none is armed.
void DeferStart(Runnable* job);

// The start timer: runs every queued object in order, including those
// queued while an earlier one ran, unlocking each after its Start, then
// disarms itself.
void CALLBACK DeferredStartTimerProc(HWND window, UINT message, UINT_PTR timerId, DWORD time);

// Number of objects waiting to start (for the server's own checks).
size_t PendingJobCount();

}  // namespace qnr
