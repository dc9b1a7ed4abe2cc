#pragma once

// The writers' locks this process holds, shared by both systems' FileLock: each
// file (by its identity) with the open handle that carries the system's lock,
// the thread that holds it and how many FileLocks share it. The system's locks
// belong to an open file (flock) or handle (LockFileEx), so a second handle of
// the same process would conflict with the first: this table makes a lock taken
// again in the holding thread a shared one instead, and makes other threads of
// this process wait for it as other processes do.

#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>

namespace korvane::held_locks {

// A descriptor on POSIX, a HANDLE on Windows.
using NativeHandle = std::intptr_t;

// What one try of the system's non-blocking lock gave.
enum class Attempt {
  Taken,
  Busy,   // held by another process: worth waiting for
  Failed, // the system refused it for another reason, kept by the caller
};

struct Primitives {
  std::function<Attempt(NativeHandle)> tryLock;
  std::function<void(NativeHandle)> unlockAndClose;
  std::function<void(NativeHandle)> close;
};

enum class Outcome {
  Held,   // taken, or shared with this thread's earlier lock
  Busy,   // still held by someone else when `wait` ran out
  Failed, // the system's lock failed for another reason
};

// Takes the lock of the file known as `key` through `handle`, which the table
// keeps while the lock is held and closes otherwise (through `primitives`),
// trying again until `wait` runs out while another holds it.
Outcome acquire(const QString &key, NativeHandle handle, std::chrono::milliseconds wait,
                const Primitives &primitives);

// Ends one FileLock's share of `key`'s lock: the last one unlocks it.
void release(const QString &key, const Primitives &primitives);

} // namespace korvane::held_locks
