// The console line ring and its printer thread.
#include "ConsoleLines.h"

#include <chrono>
#include <cstdarg>

namespace stk {

namespace {
// How long the printer sleeps when there is nothing to print.
constexpr std::chrono::milliseconds kIdleWait{2};
} // namespace

ConsoleLines::~ConsoleLines() {
  stop();
}

void ConsoleLines::print(const char* format, ...) {
  Line line;
  va_list arguments;
  va_start(arguments, format);
  int length = std::vsnprintf(line.text, sizeof line.text, format, arguments);
  va_end(arguments);
  if (length < 0) return;
  line.length = static_cast<unsigned short>(
      static_cast<size_t>(length) < sizeof line.text ? length : sizeof line.text - 1);
  if (!lines_.push(line)) dropped_.fetch_add(1, std::memory_order_relaxed);
}

bool ConsoleLines::drainTo(FILE* out) {
  bool wrote = false;
  while (const Line* line = lines_.front()) {
    std::fwrite(line->text, 1, line->length, out);
    lines_.pop();
    wrote = true;
  }
  const uint64_t dropped = dropped_.load(std::memory_order_relaxed);
  if (dropped != reported_) {
    std::fprintf(out, "tambrel: %llu console lines dropped: the output could not keep up\n",
                 static_cast<unsigned long long>(dropped - reported_));
    reported_ = dropped;
    wrote = true;
  }
  if (wrote) std::fflush(out);
  return wrote;
}

void ConsoleLines::start(FILE* out) {
  stopping_ = false;
  printer_ = std::thread([this, out] {
    for (;;) {
      const bool stopping = stopping_.load();
      if (!drainTo(out)) {
        if (stopping) return;
        std::this_thread::sleep_for(kIdleWait);
      }
    }
  });
}

void ConsoleLines::stop() {
  if (!printer_.joinable()) return;
  stopping_ = true;
  printer_.join();
}

} // namespace stk
