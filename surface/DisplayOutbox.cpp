// The display message ring and its sender thread.
#include "DisplayOutbox.h"

#include <RtMidi.h>

#include <chrono>
#include <cstring>

namespace stk {

namespace {
// How long the sender sleeps when there is nothing to send: about one LCD frame of 1 kHz.
constexpr std::chrono::milliseconds kIdleWait{1};
} // namespace

DisplayOutbox::~DisplayOutbox() {
  stop();
}

void DisplayOutbox::post(const unsigned char* bytes, size_t size) {
  Message message;
  if (size > kMaxMessage) size = kMaxMessage;
  message.size = static_cast<unsigned char>(size);
  std::memcpy(message.bytes, bytes, size);
  if (!messages_.push(message)) dropped_.fetch_add(1, std::memory_order_relaxed);
}

size_t DisplayOutbox::drainTo(RtMidiOut* out, const Listener& listener) {
  size_t sent = 0;
  while (const Message* message = messages_.front()) {
    if (listener) listener(message->bytes, message->size);
    if (out) {
      try {
        out->sendMessage(message->bytes, message->size);
      } catch (RtMidiError& error) {
        error.printMessage();
      }
    }
    messages_.pop();
    ++sent;
  }
  return sent;
}

void DisplayOutbox::start(RtMidiOut* out, Listener listener) {
  stopping_ = false;
  sender_ = std::thread([this, out, listener] {
    for (;;) {
      const bool stopping = stopping_.load();
      if (drainTo(out, listener) == 0) {
        if (stopping) return;
        std::this_thread::sleep_for(kIdleWait);
      }
    }
  });
}

void DisplayOutbox::stop() {
  if (!sender_.joinable()) return;
  stopping_ = true;
  sender_.join();
}

} // namespace stk
