// The kit's per-sample path and its block render allocate nothing: malloc, calloc, realloc and
// operator new are replaced in this binary and counted while the kit renders with notes,
// note-offs and parameter changes in between.
#include "ZorvDrumKit.h"
#include "ZorvDrumLanes.h"

#include <gtest/gtest.h>

#include <atomic>
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
void* counted(void* p) {
  if (counting) allocations++;
  return p;
}
} // namespace

extern "C" void* malloc(size_t size) {
  return counted(__libc_malloc(size));
}
extern "C" void* calloc(size_t n, size_t size) {
  return counted(__libc_calloc(n, size));
}
extern "C" void* realloc(void* p, size_t size) {
  return counted(__libc_realloc(p, size));
}
void* operator new(size_t size) {
  void* p = counted(__libc_malloc(size ? size : 1));
  if (!p) throw std::bad_alloc();
  return p;
}
void* operator new(size_t size, std::align_val_t align) {
  void* p = nullptr;
  if (posix_memalign(&p, static_cast<size_t>(align), size ? size : 1) != 0) throw std::bad_alloc();
  return counted(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
  __libc_free(p);
}
void operator delete(void* p, size_t, std::align_val_t) noexcept {
  __libc_free(p);
}
void operator delete(void* p) noexcept {
  __libc_free(p);
}
void operator delete(void* p, size_t) noexcept {
  __libc_free(p);
}

TEST(Allocation, KitRenderingWithNotesAndParameterChangesAllocatesNothing) {
  stk::Stk::setSampleRate(44100.0);
  stk::ZorvDrumKit kit; // construction may allocate; it happens before the window
  counting = true;
  // The counter sees operator new and the C allocator (through volatile pointers, which keep
  // the compiler from leaving the pairs out).
  int* volatile number = new int(1);
  delete number;
  void* volatile block = calloc(1, 8);
  free(block);
  long probe = allocations.exchange(0);
  const int notes[] = {36, 38, 39, 42, 46, 37};
  double energy = 0;
  float frames[150];
  for (int block = 0; block < 600; block++) {
    // Sample by sample, then in blocks on each path.
    stk::ZorvDrumLanes::choosePath(block < 400   ? stk::ZorvDrumLanes::Path::SSE2
                                   : block < 500 ? stk::ZorvDrumLanes::Path::AVX2
                                                 : stk::ZorvDrumLanes::Path::AUTOMATIC);
    kit.noteOn(notes[block % 6] + 0.5, 0.3 + (block % 7) / 10.0);
    for (int p = 0; p < 3; p++)
      kit.setParam(block % 5, (block * 7 + p) % 21, ((block * 37 + p * 11) % 128) / 128.0);
    energy += kit.getParam(block % 5, 13) + kit.getParamName(block % 5, block % 21)[0];
    for (int i = 0; i < 150; i++)
      frames[i] = block < 200 ? static_cast<float>(kit.tick()) : 0.0f;
    if (block >= 200) kit.renderBlock(frames, 150);
    for (float y : frames)
      energy += y * y;
    if (block % 3 == 0) kit.noteOff(notes[(block + 2) % 6]);
  }
  counting = false;
  stk::ZorvDrumLanes::choosePath(stk::ZorvDrumLanes::Path::AUTOMATIC);
  EXPECT_EQ(probe, 2);
  EXPECT_EQ(allocations.load(), 0); // over 90000 kit samples
  EXPECT_GT(energy, 1.0);
}
