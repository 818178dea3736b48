// The program as one JACK client: MIDI inputs "control" and "notes", MIDI output "lcd" and audio
// outputs "outport 0" and "outport 1". Its process callback applies every MIDI event just
// before its own frame and writes the display's messages to "lcd".
#ifndef TAMBREL_JACKCLIENT_H
#define TAMBREL_JACKCLIENT_H

#include <jack/jack.h>
#include <jack/midiport.h>

#include <atomic>
#include <iosfwd>
#include <string>

#include "BytePacer.h"
#include "tambrel.h"

namespace stk {
class DisplayOutbox;
}

class JackClient {
public:
  // data: the kit, logic and queue the callback works on; outbox: the display's messages, which
  // the callback takes out of it.
  JackClient(TickData& data, stk::DisplayOutbox& outbox);
  // Deactivates and closes the client when still open.
  ~JackClient();
  JackClient(const JackClient&) = delete;
  JackClient& operator=(const JackClient&) = delete;

  // Opens the client (never starting a server) and registers its five ports. False after one
  // line on err.
  bool open(const std::string& name, std::ostream& err);
  jack_client_t* handle() const { return client_; }
  jack_port_t* controlIn() const { return controlIn_; }
  jack_port_t* notesIn() const { return notesIn_; }
  jack_port_t* lcdOut() const { return lcdOut_; }
  unsigned int sampleRate() const { return jack_get_sample_rate(client_); }

  // A test's wrapper around the process callback (Settings::processWrapper); null: none.
  void wrapProcess(decltype(Settings::processWrapper) wrapper) { wrapper_ = wrapper; }
  // Holds the display's output to MIDI cable speed (for a hardware port behind a bridge).
  void paceDisplay();
  // Every message written to "lcd" is also posted here (for the terminal's LCD view).
  void mirrorDisplayTo(stk::DisplayOutbox* mirror) { mirror_ = mirror; }

  // Starts the process callback. False after one line on err.
  bool activate(std::ostream& err);
  // Lets the display's messages out from the period after the next on: a connection made
  // now carries MIDI from the server's next cycles on, and the start-up display must not go
  // out before "lcd" is connected.
  void openDisplay() { displayHold_.store(2, std::memory_order_release); }
  // Connects "outport 0" and "outport 1" to the first two audio inputs of client `device`, or
  // with an empty name to the first two physical playback ports.
  void connectAudio(const std::string& device, std::ostream& err);

  // The server went away (shut down or killed); the reason as the server gave it.
  bool serverGone() const { return serverGone_.load(std::memory_order_acquire); }
  const char* shutdownReason() const { return shutdownReason_; }
  // Waits up to `seconds` until the process callback has written every queued display message.
  void awaitDisplay(double seconds) const;
  // Deactivates and closes the client; once.
  void close();

private:
  static int processThunk(jack_nframes_t frames, void* self) TAMBREL_NONBLOCKING;
  static int processDirect(uint32_t frames, void* self) TAMBREL_NONBLOCKING;
  static int bufferSizeThunk(jack_nframes_t frames, void* self);
  static void shutdownThunk(jack_status_t code, const char* reason, void* self);

  int process(jack_nframes_t frames) TAMBREL_NONBLOCKING;
  // Renders frames [from, to) of the period into out, applying held messages as they are free.
  void renderUntil(float* out, jack_nframes_t from, jack_nframes_t to) TAMBREL_NONBLOCKING;
  // The record an input's event stands for, through the controller map; false: none.
  bool toMessage(const jack_midi_event_t& event, bool fromControl,
                 QueuedMessage& message) TAMBREL_NONBLOCKING;
  // Applies a message now, or holds it behind the messages already held.
  void deliver(const QueuedMessage& message) TAMBREL_NONBLOCKING;
  // Applies held messages until none is left or a Load or Paste waits for its file.
  void applyHeld() TAMBREL_NONBLOCKING;
  void writeDisplay(void* buffer, jack_nframes_t frames) TAMBREL_NONBLOCKING;

  TickData& data_;
  stk::DisplayOutbox& outbox_;
  stk::DisplayOutbox* mirror_ = nullptr;
  decltype(Settings::processWrapper) wrapper_ = nullptr;
  jack_client_t* client_ = nullptr;
  jack_port_t* controlIn_ = nullptr;
  jack_port_t* notesIn_ = nullptr;
  jack_port_t* lcdOut_ = nullptr;
  jack_port_t* audioOut_[2] = {nullptr, nullptr};
  bool active_ = false;
  BytePacer pacer_;                             // process thread, once active
  std::atomic<jack_nframes_t> periodFrames_{0}; // frames; the buffer-size callback's
  std::atomic<bool> serverGone_{false};
  // Periods the display still waits; negative: until openDisplay(). Process thread counts down.
  std::atomic<int> displayHold_{-1};
  char shutdownReason_[256] = {};
};

#endif
