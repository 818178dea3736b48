// The controller's messages leave the audio thread through a ring to a sender thread.
#ifndef TAMBREL_DISPLAYOUTBOX_H
#define TAMBREL_DISPLAYOUTBOX_H

#include "SpscRing.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

class RtMidiOut;

namespace stk {

class DisplayOutbox {
public:
  static constexpr size_t kMaxMessage = 63;  // bytes; the longest display message has 56
  static constexpr size_t kCapacity = 32768; // messages
  // Sees every message as it is sent (for a mirror of the LCD), on the sender's thread.
  using Listener = std::function<void(const unsigned char* bytes, size_t size)>;

  DisplayOutbox() = default;
  ~DisplayOutbox();
  DisplayOutbox(const DisplayOutbox&) = delete;
  DisplayOutbox& operator=(const DisplayOutbox&) = delete;

  // One producer thread. Never blocks: a message the ring cannot take is counted as dropped.
  void post(const unsigned char* bytes, size_t size);

  // Consumer side: sends every queued message, in order, to `out` (none: nowhere) and to the
  // listener. Returns the number sent.
  size_t drainTo(RtMidiOut* out, const Listener& listener = Listener());

  // Consumer side, for a consumer that writes the messages itself (a JACK process callback):
  // hands them in order to write(bytes, size) until it returns false; that message then stays
  // first in the ring for the next call. Returns the number written. Never blocks.
  template <class Write> size_t drainWith(Write&& write) {
    size_t written = 0;
    while (const Message* message = messages_.front()) {
      if (!write(message->bytes, static_cast<size_t>(message->size))) break;
      messages_.pop();
      ++written;
    }
    return written;
  }
  // Consumer side: true when no message waits.
  bool empty() const { return messages_.empty(); }

  // A sender thread that drains until stop(), which sends everything still queued. A library
  // error while sending is printed on standard error and the message is lost.
  void start(RtMidiOut* out, Listener listener = Listener());
  void stop();

  uint64_t dropped() const { return dropped_.load(std::memory_order_relaxed); }

private:
  struct Message {
    unsigned char size;
    unsigned char bytes[kMaxMessage];
  };
  SpscRing<Message, kCapacity> messages_;
  std::atomic<uint64_t> dropped_{0};
  std::atomic<bool> stopping_{false};
  std::thread sender_;
};

} // namespace stk

#endif
