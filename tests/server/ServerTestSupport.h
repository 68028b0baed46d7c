// Helpers shared by the server's tests: where things are, a COM apartment
// for the test program, a message pump, and running the server by hand.
#pragma once

#include "ComSupport.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Folder of the running test program (the build's bin folder).
std::wstring ProgramFolder();

// qnrZip.exe beside the test program.
std::wstring ServerPath();

// The folder shared with the native fixture steps (Windows form of the
// build-tree path given at compile time), with a trailing backslash.
std::wstring WorkFolder();

// Runs `commandLine` and returns its exit code, or -1 if it cannot start.
int RunAndWait(const std::wstring& commandLine);

// Serves this thread's messages (and so incoming COM calls and events)
// until `done` returns true. Returns false if `limitMs` passes first: the
// limit only stops a broken test from hanging, it measures nothing.
bool PumpUntil(const std::function<bool()>& done, DWORD limitMs = 60000);

// Reads a whole file; empty when it does not exist.
std::string ReadWholeFile(const std::wstring& path);
bool FileExists(const std::wstring& path);

// Number of running processes named qnrZip.exe.
int ServerProcessCount();

// Process identifiers of the running qnrZip.exe processes.
std::vector<DWORD> ServerProcessIds();

// Private bytes (commit charge) of process `id`, 0 when they cannot be read.
SIZE_T PrivateBytesOf(DWORD id);

// Ends process `id` at once, as a crash would; true when it is gone.
bool KillProcess(DWORD id);

// Wine 8 keeps a killed server's class objects registered (activation then
// fails with RPC_S_SERVER_UNAVAILABLE for as long as its RPC service runs);
// stopping that service forgets them, and it starts again on demand. Real
// Windows forgets them by itself; there this costs one service restart.
void ForgetKilledServers();
