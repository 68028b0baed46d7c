// How long the server process lives: as long as any object exists or any
// client holds a lock on a class factory. External locks taken while a job
// is queued keep their object alive, and the object keeps the process.
#pragma once

namespace qnr {

// What to do when the last reference goes: the server withdraws its class
// objects at once (so a new activation starts a new process instead of
// reaching this one while it winds down) and ends its message loop.
void SetLastReferenceHandler(void (*handler)());

// One more reason for the process to live (an object, a factory lock).
void AddServerReference();

// One reason fewer; the last one ends the message loop of the server thread.
void ReleaseServerReference();

// Owns one server reference for the lifetime of the holder.
class ServerReference {
public:
    ServerReference() { AddServerReference(); }
    ServerReference(const ServerReference&) { AddServerReference(); }
    ServerReference& operator=(const ServerReference&) = default;
    ~ServerReference() { ReleaseServerReference(); }
};

}  // namespace qnr
