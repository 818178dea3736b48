// A picture of the controller's two LCDs, kept up to date from the display messages as they are
// sent: the four rows, 72 characters each, as the controller shows them.
#ifndef TAMBREL_LCDMIRROR_H
#define TAMBREL_LCDMIRROR_H

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

class LcdMirror {
public:
  static constexpr int kRows = 4;     // rows 1 and 2 on the left LCD, 3 and 4 on the right
  static constexpr int kColumns = 72; // eight cells of nine characters
  using Rows = std::array<std::string, kRows>;

  LcdMirror();
  LcdMirror(const LcdMirror&) = delete;
  LcdMirror& operator=(const LcdMirror&) = delete;

  // One message as the display driver builds it; any thread. An LCD text writes its characters
  // from its column on (what passes the row's end is cut), an LCD clear blanks the two rows of
  // its LCD (selector 4 the left, 5 the right); every other message changes nothing.
  void accept(const unsigned char* bytes, size_t size);

  // The rows 1 to 4, each kColumns characters; any thread.
  Rows rows() const;
  // How many times the picture has changed: a reader redraws when the number moves.
  uint64_t changes() const { return changes_.load(std::memory_order_acquire); }

private:
  mutable std::mutex mutex_;
  Rows rows_;
  std::atomic<uint64_t> changes_{0};
};

#endif
