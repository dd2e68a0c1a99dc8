// A busy-wait lock on one 32-bit word: taken by atomic exchange, released by storing 0. Meant
// for short critical sections that never block.
#pragma once

#include <atomic>
#include <cstdint>

struct SpinLock {
    std::atomic<uint32_t> word{0};
};

static_assert(std::atomic<uint32_t>::is_always_lock_free);

inline void spin_lock(SpinLock& lock) {
    while (lock.word.exchange(1, std::memory_order_acquire) != 0) {
        // Wait on plain reads so the cache line is not bounced by exchanges while it is held.
        while (lock.word.load(std::memory_order_relaxed) != 0) __builtin_ia32_pause();
    }
}

inline void spin_unlock(SpinLock& lock) { lock.word.store(0, std::memory_order_release); }
