// cTimer: a timer object on the system's thread timers (SetTimer without a
// window). mTimer keeps one registry per process that routes each tick of
// the shared callback to the object that owns the timer id. Ticks arrive
// through the message loop of the thread that enabled the timer.
#pragma once

#include <windows.h>

#include <functional>

namespace bralto {

class cTimer {
public:
    cTimer();
    ~cTimer();
    cTimer(const cTimer&) = delete;
    cTimer& operator=(const cTimer&) = delete;

    // Period in milliseconds (1 for a new timer). A new value re-arms a
    // running timer under the same id.
    long Interval() const { return interval_; }
    void Interval(long milliseconds);

    // True starts the timer; when the system refuses one, Enabled stays
    // false. False stops it and removes its registry entry.
    bool Enabled() const { return enabled_; }
    void Enabled(bool value);

    // The Timer event: called once per tick while enabled.
    std::function<void()> Timer;

    // The id the system gave the running timer (0 when stopped).
    UINT_PTR TimerId() const { return id_; }

private:
    friend void RaiseTimerOf(cTimer& timer);

    long interval_ = 1;
    bool enabled_ = false;
    UINT_PTR id_ = 0;
};

// mTimer: the registry of running timers, keyed by the id's decimal text.
// The count is for tests and diagnostics.
size_t RunningTimerCount();

}  // namespace bralto
