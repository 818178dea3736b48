// A fixed-size ring filled by several producer threads and emptied by one consumer, without locks.
#ifndef TAMBREL_MPSCRING_H
#define TAMBREL_MPSCRING_H

#include <atomic>
#include <cstddef>

// Holds up to Capacity items (a power of two). Each cell carries a sequence number: a producer
// claims a cell by advancing the shared tail, fills it, then publishes it through the sequence,
// so items are taken in the order their producers claimed them. push fails when the ring is
// full; neither side blocks or allocates. (D. Vyukov's bounded queue, one consumer.)
template <class Item, size_t Capacity> class MpscRing {
  static_assert(Capacity > 1 && (Capacity & (Capacity - 1)) == 0, "a power of two");

public:
  MpscRing() {
    for (size_t i = 0; i < Capacity; ++i)
      cells_[i].sequence.store(i, std::memory_order_relaxed);
  }
  MpscRing(const MpscRing&) = delete;
  MpscRing& operator=(const MpscRing&) = delete;

  // Any producer thread.
  bool push(const Item& item) {
    size_t tail = tail_.load(std::memory_order_relaxed);
    for (;;) {
      Cell& cell = cells_[tail & (Capacity - 1)];
      const size_t sequence = cell.sequence.load(std::memory_order_acquire);
      const ptrdiff_t lag = static_cast<ptrdiff_t>(sequence) - static_cast<ptrdiff_t>(tail);
      if (lag == 0) {
        if (tail_.compare_exchange_weak(tail, tail + 1, std::memory_order_relaxed)) {
          cell.item = item;
          cell.sequence.store(tail + 1, std::memory_order_release);
          return true;
        }
      } else if (lag < 0) {
        return false; // full: the consumer has not yet freed this cell
      } else {
        tail = tail_.load(std::memory_order_relaxed);
      }
    }
  }

  // The one consumer thread: the oldest published item, if any.
  bool pop(Item& item) {
    Cell& cell = cells_[head_ & (Capacity - 1)];
    if (cell.sequence.load(std::memory_order_acquire) != head_ + 1) return false;
    item = cell.item;
    cell.sequence.store(head_ + Capacity, std::memory_order_release);
    ++head_;
    return true;
  }

  // The consumer's view: items claimed by producers and not yet taken.
  size_t size() const { return tail_.load(std::memory_order_acquire) - head_; }

  // The consumer's view: true when nothing is published at the head.
  bool empty() const {
    return cells_[head_ & (Capacity - 1)].sequence.load(std::memory_order_acquire) != head_ + 1;
  }

private:
  struct Cell {
    std::atomic<size_t> sequence;
    Item item;
  };
  alignas(64) std::atomic<size_t> tail_{0};
  alignas(64) size_t head_ = 0;
  alignas(64) Cell cells_[Capacity];
};

#endif
