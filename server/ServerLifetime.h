// How long the server process lives: as long as any object exists or any
// client holds a lock on a class factory. External locks taken while a job
// is queued keep their object alive, and the object keeps the process.
//
// Once the last reference goes the server is stopping, for good: its class
// objects are withdrawn and every activation that still reaches it (one
// that found the class object just before) is refused with
// CO_E_SERVER_STOPPING, so that the client tries again and COM starts a new
// process. The loop ends only after a grace period during which nothing was
// handed out, so no activation can be in flight towards an ended process.
#pragma once

namespace qnr {

// What to do when the last reference goes: the server withdraws its class
// objects (so a new activation starts a new process instead of reaching
// this one while it winds down) and arms its grace period.
void SetLastReferenceHandler(void (*handler)());

// One more reason for the process to live (an object, a factory lock).
void AddServerReference();

// One reason fewer; the last one starts the stop.
void ReleaseServerReference();

// Starts the stop when nothing holds the server: for a process that COM
// started but that never got an object (several clients activating at once
// can each start one, and only one of them serves).
void StopIfUnused();

// Number of live references (objects and factory locks).
unsigned long ServerReferenceCount();

// True from the moment the last reference went: no object is handed out
// any more.
bool ServerIsStopping();

// Owns one server reference for the lifetime of the holder.
class ServerReference {
public:
    ServerReference() { AddServerReference(); }
    ServerReference(const ServerReference&) { AddServerReference(); }
    ServerReference& operator=(const ServerReference&) = default;
    ~ServerReference() { ReleaseServerReference(); }
};

}  // namespace qnr
