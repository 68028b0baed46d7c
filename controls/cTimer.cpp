#include "cTimer.h"

#include <map>
#include <string>

namespace bralto {

namespace {

// Plain, uncounted references: an object removes its own entry when its
// timer stops, and stops its timer when destroyed.
std::map<std::wstring, cTimer*>* g_registry = nullptr;

std::map<std::wstring, cTimer*>& Registry() {
    if (!g_registry) g_registry = new std::map<std::wstring, cTimer*>();  // lives as long as the process
    return *g_registry;
}

std::wstring KeyOf(UINT_PTR id) { return std::to_wstring(static_cast<unsigned long long>(id)); }

void CALLBACK SharedTimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    auto found = Registry().find(KeyOf(id));
    if (found != Registry().end()) RaiseTimerOf(*found->second);
}

}  // namespace

void RaiseTimerOf(cTimer& timer) {
    if (timer.Timer) timer.Timer();
}

size_t RunningTimerCount() { return Registry().size(); }

cTimer::cTimer() { Registry(); }

cTimer::~cTimer() { Enabled(false); }

void cTimer::Interval(long milliseconds) {
    if (milliseconds == interval_) return;
    interval_ = milliseconds;
    if (enabled_) SetTimer(nullptr, id_, static_cast<UINT>(interval_), SharedTimerProc);
}

void cTimer::Enabled(bool value) {
    if (value == enabled_) return;
    if (value) {
        UINT_PTR id = SetTimer(nullptr, 0, static_cast<UINT>(interval_), SharedTimerProc);
        if (id == 0) return;
        id_ = id;
        enabled_ = true;
        Registry()[KeyOf(id_)] = this;
    } else {
        KillTimer(nullptr, id_);
        enabled_ = false;
        Registry().erase(KeyOf(id_));
        id_ = 0;
    }
}

}  // namespace bralto
