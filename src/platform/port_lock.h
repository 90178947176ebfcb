// One program per adapter: an exclusive flock on a lock file named by the
// port's base ("gang-adapter-0378.lock") under /run/lock, or under the
// user's runtime directory ($XDG_RUNTIME_DIR) where /run/lock is not
// writable.  The lock belongs to the open file, so it goes with the process
// however that ends: a crash leaves no stale lock.
#pragma once

#include <cstdint>
#include <string>

namespace gang {

class TPortLock {
public:
    enum class TResult { Locked, Held_Elsewhere, No_Lock_Dir };

    // lock_dir "" means /run/lock, then $XDG_RUNTIME_DIR.
    explicit TPortLock(std::string lock_dir = "") : lock_dir_(std::move(lock_dir)) {}
    ~TPortLock() { Release(); }
    TPortLock(const TPortLock&) = delete;
    TPortLock& operator=(const TPortLock&) = delete;

    // Locks the port at base, giving up a lock on another base first; a
    // second call for the held base only says so.
    TResult Acquire(uint16_t base);
    void Release();
    bool Holds(uint16_t base) const { return fd_ >= 0 && base_ == base; }

    static std::string File_Name(uint16_t base);

private:
    std::string lock_dir_;
    int fd_ = -1;
    uint16_t base_ = 0;
};

} // namespace gang
