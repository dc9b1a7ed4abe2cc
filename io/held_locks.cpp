#include "io/held_locks.h"

#include <QHash>
#include <QMutex>
#include <QThread>

namespace korvane::held_locks {

namespace {

struct HeldLock {
  NativeHandle handle = 0;
  Qt::HANDLE thread = nullptr;
  int count = 0;
};

QMutex &heldLocksMutex() {
  static QMutex mutex;
  return mutex;
}

QHash<QString, HeldLock> &heldLocks() {
  static QHash<QString, HeldLock> held;
  return held;
}

} // namespace

Outcome acquire(const QString &key, NativeHandle handle, std::chrono::milliseconds wait,
                const Primitives &primitives) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    {
      const QMutexLocker locker(&heldLocksMutex());
      HeldLock &held = heldLocks()[key];
      if (held.count > 0 && held.thread == QThread::currentThreadId()) {
        ++held.count;
        primitives.close(handle);
        return Outcome::Held;
      }
      if (held.count == 0) {
        const Attempt attempt = primitives.tryLock(handle);
        if (attempt == Attempt::Taken) {
          held = {handle, QThread::currentThreadId(), 1};
          return Outcome::Held;
        }
        heldLocks().remove(key);
        if (attempt == Attempt::Failed) {
          primitives.close(handle);
          return Outcome::Failed;
        }
      }
    }
    if (std::chrono::steady_clock::now() >= deadline)
      break;
    QThread::msleep(20);
  }
  primitives.close(handle);
  return Outcome::Busy;
}

void release(const QString &key, const Primitives &primitives) {
  const QMutexLocker locker(&heldLocksMutex());
  const auto held = heldLocks().find(key);
  if (held == heldLocks().end() || --held->count > 0)
    return;
  primitives.unlockAndClose(held->handle);
  heldLocks().erase(held);
}

} // namespace korvane::held_locks
