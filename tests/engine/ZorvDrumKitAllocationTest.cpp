// The kit's per-sample path allocates nothing: every heap allocation in the process is counted
// (malloc, calloc, realloc and operator new are replaced in this test binary) while the kit
// renders with notes, note-offs and parameter changes in between.
#include "ZorvDrumKit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* pointer, size_t size);
void __libc_free(void* pointer);
}

namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};

void noteAllocation() {
  if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1);
}

struct CountedWindow {
  CountedWindow() {
    allocations = 0;
    counting = true;
  }
  ~CountedWindow() { counting = false; }
  long count() const { return allocations.load(); }
};
} // namespace

extern "C" void* malloc(size_t size) {
  noteAllocation();
  return __libc_malloc(size);
}

extern "C" void* calloc(size_t count, size_t size) {
  noteAllocation();
  return __libc_calloc(count, size);
}

extern "C" void* realloc(void* pointer, size_t size) {
  noteAllocation();
  return __libc_realloc(pointer, size);
}

void* operator new(size_t size) {
  noteAllocation();
  void* p = __libc_malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  return p;
}
void* operator new[](size_t size) {
  return operator new(size);
}
void operator delete(void* p) noexcept {
  __libc_free(p);
}
void operator delete[](void* p) noexcept {
  __libc_free(p);
}
void operator delete(void* p, size_t) noexcept {
  __libc_free(p);
}
void operator delete[](void* p, size_t) noexcept {
  __libc_free(p);
}

TEST(KitAllocation, CounterSeesEveryKindOfAllocation) {
  CountedWindow window;
  int* one = new int(3);
  void* two = malloc(16);
  void* three = calloc(2, 8);
  three = realloc(three, 64);
  long seen = window.count();
  delete one;
  free(two);
  free(three);
  EXPECT_EQ(seen, 4);
}

TEST(KitAllocation, RenderingWithNotesAndParameterChangesAllocatesNothing) {
  stk::Stk::setSampleRate(44100.0);
  stk::ZorvDrumKit kit; // built outside the window: construction may allocate
  const int notes[] = {36, 38, 39, 42, 46, 37};
  unsigned state = 12345;
  auto nextRandom = [&state]() {
    state = state * 1103515245u + 12345u;
    return (state >> 8) / 16777216.0;
  };
  double energy = 0;
  long allocated;
  {
    CountedWindow window;
    for (int block = 0; block < 200; block++) {
      int note = notes[block % 6];
      kit.noteOn(note + 0.5, 0.3 + 0.7 * nextRandom());
      for (int p = 0; p < 3; p++) {
        int drum = block % kit.nDrums, param = (block * 7 + p) % 21;
        kit.setParam(drum, param, nextRandom());
        energy += kit.getParam(drum, param) * (kit.getParamName(drum, param)[0] != 0);
      }
      for (int i = 0; i < 150; i++) {
        stk::StkFloat y = kit.tick();
        energy += y * y;
      }
      if (block % 3 == 0) kit.noteOff(notes[(block + 2) % 6]);
    }
    allocated = window.count();
  }
  EXPECT_EQ(allocated, 0);
  EXPECT_GT(energy, 1.0); // the drums really sounded, 30000 kit samples
}
