#include "mStart.h"

#include "ComSupport.h"

#include <deque>
#include <memory>

namespace qnr {

namespace {

std::unique_ptr<std::deque<ComPtr<Runnable>>> PendingJobs;
UINT_PTR PendingTimerId = 0;
// Outgoing event calls pump messages, so the timer fires again while a job
// runs; those ticks must not start the next job inside the running one.
bool Draining = false;

std::deque<ComPtr<Runnable>>& Pending() {
    if (!PendingJobs) PendingJobs = std::make_unique<std::deque<ComPtr<Runnable>>>();
    return *PendingJobs;
}

}  // namespace

void DeferStart(Runnable* job) {
    CoLockObjectExternal(job, TRUE, TRUE);
    Pending().push_back(ComPtr<Runnable>(job));
    if (PendingTimerId == 0) PendingTimerId = SetTimer(nullptr, 0, 1, DeferredStartTimerProc);
}

namespace {

// Marks the queue as being drained for the length of one timer call.
class DrainingScope {
public:
    DrainingScope() { Draining = true; }
    DrainingScope(const DrainingScope&) = delete;
    DrainingScope& operator=(const DrainingScope&) = delete;
    ~DrainingScope() { Draining = false; }
};

// Gives back the lock DeferStart took, whatever happens to the job.
class ExternalLock {
public:
    explicit ExternalLock(ComPtr<Runnable> job) : job_(std::move(job)) {}
    ExternalLock(const ExternalLock&) = delete;
    ExternalLock& operator=(const ExternalLock&) = delete;
    ~ExternalLock() { CoLockObjectExternal(job_.Get(), FALSE, TRUE); }
    Runnable* operator->() const { return job_.Get(); }

private:
    ComPtr<Runnable> job_;
};

}  // namespace

void CALLBACK DeferredStartTimerProc(HWND, UINT, UINT_PTR timerId, DWORD) {
    if (Draining) return;
    {
        DrainingScope draining;
        while (!Pending().empty()) {
            ExternalLock job(std::move(Pending().front()));
            Pending().pop_front();
            job->Start();
        }
    }
    KillTimer(nullptr, timerId);
    PendingTimerId = 0;
}

size_t PendingJobCount() { return PendingJobs ? PendingJobs->size() : 0; }

}  // namespace qnr
