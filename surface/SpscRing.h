// A fixed-size ring between one producer thread and one consumer thread, without locks.
#ifndef TAMBREL_SPSCRING_H
#define TAMBREL_SPSCRING_H

#include <atomic>
#include <cstddef>

namespace stk {

// Holds up to Capacity items (a power of two). push and pop never block and never allocate:
// push fails when the ring is full, pop when it is empty. Items arrive in the order pushed.
template <class Item, size_t Capacity> class SpscRing {
  static_assert(Capacity > 1 && (Capacity & (Capacity - 1)) == 0, "a power of two");

public:
  SpscRing() = default;
  SpscRing(const SpscRing&) = delete;
  SpscRing& operator=(const SpscRing&) = delete;

  // Producer side.
  bool push(const Item& item) {
    const size_t tail = tail_.load(std::memory_order_relaxed);
    if (tail - head_.load(std::memory_order_acquire) == Capacity) return false;
    items_[tail & (Capacity - 1)] = item;
    tail_.store(tail + 1, std::memory_order_release);
    return true;
  }
  bool full() const {
    return tail_.load(std::memory_order_relaxed) - head_.load(std::memory_order_acquire) ==
           Capacity;
  }

  // Consumer side: the oldest item, left in place until pop.
  const Item* front() const {
    const size_t head = head_.load(std::memory_order_relaxed);
    if (head == tail_.load(std::memory_order_acquire)) return nullptr;
    return &items_[head & (Capacity - 1)];
  }
  void pop() { head_.store(head_.load(std::memory_order_relaxed) + 1, std::memory_order_release); }
  bool pop(Item& item) {
    const Item* oldest = front();
    if (!oldest) return false;
    item = *oldest;
    pop();
    return true;
  }

  // Either side: a snapshot.
  bool empty() const {
    return head_.load(std::memory_order_acquire) == tail_.load(std::memory_order_acquire);
  }

private:
  alignas(64) std::atomic<size_t> head_{0}; // next to read
  alignas(64) std::atomic<size_t> tail_{0}; // next to write
  alignas(64) Item items_[Capacity];
};

} // namespace stk

#endif
