// The terminal side of the LCD view: ANSI cursor moves, a scrolling region and a redraw thread.
#include "LcdTerminal.h"

#include <chrono>

namespace {

const std::string kFrame = "+" + std::string(LcdMirror::kColumns, '-') + "+";

std::string at(int line) {
  return "\x1b[" + std::to_string(line) + ";1H";
}

} // namespace

LcdTerminal::LcdTerminal(const LcdMirror& mirror, FILE* out) : mirror_(mirror), out_(out) {}

LcdTerminal::~LcdTerminal() {
  stop();
}

std::string LcdTerminal::picture(const LcdMirror::Rows& rows) {
  // Save the cursor, draw each line and clear what was to its right, restore the cursor.
  std::string text = "\x1b"
                     "7";
  const std::string lines[kLines] = {kFrame, "|" + rows[0] + "|", "|" + rows[1] + "|",
                                     kFrame, "|" + rows[2] + "|", "|" + rows[3] + "|",
                                     kFrame};
  for (int i = 0; i < kLines; i++)
    text += at(i + 1) + lines[i] + "\x1b[K";
  return text + "\x1b"
                "8";
}

void LcdTerminal::start() {
  if (thread_.joinable()) return;
  // Clear, scroll only below the picture, and write on from its first line.
  const std::string setup = "\x1b[2J\x1b[" + std::to_string(kLines + 1) + ";r" + at(kLines + 1);
  std::fwrite(setup.data(), 1, setup.size(), out_);
  draw();
  stopping_ = false;
  thread_ = std::thread([this] { run(); });
}

void LcdTerminal::stop() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
  draw();
  const std::string restore = "\x1b[r\x1b[999;1H\n";
  std::fwrite(restore.data(), 1, restore.size(), out_);
  std::fflush(out_);
}

int LcdTerminal::redraws() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return redraws_;
}

void LcdTerminal::run() {
  const auto period = std::chrono::microseconds(1000000 / kFramesPerSecond);
  uint64_t drawn = ~uint64_t(0); // a change between start's drawing and now is drawn too
  std::unique_lock<std::mutex> lock(mutex_);
  while (!wake_.wait_for(lock, period, [this] { return stopping_; })) {
    const uint64_t changes = mirror_.changes();
    if (changes == drawn) continue;
    drawn = changes;
    lock.unlock();
    draw();
    lock.lock();
  }
}

void LcdTerminal::draw() {
  // One write under the stream's lock: lines other threads print never land inside a redraw.
  const std::string text = picture(mirror_.rows());
  std::fwrite(text.data(), 1, text.size(), out_);
  std::fflush(out_);
  std::lock_guard<std::mutex> lock(mutex_);
  redraws_++;
}
