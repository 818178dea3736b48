// A libjack client that plays the ReMOTE ZeRO SL: note and control outputs, a display input,
// and a two-channel recorder of the program's audio, all stamped with one frame clock.
#ifndef TAMBREL_TESTS_E2E_VIRTUALCONTROLLER_H
#define TAMBREL_TESTS_E2E_VIRTUALCONTROLLER_H

#include <jack/jack.h>
#include <jack/ringbuffer.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

class VirtualController {
public:
  static constexpr const char* kClientName = "ReMOTE ZeRO SL 20";
  static constexpr const char* kDisplayPort = "display";
  enum Port { kNotePort = 0, kControlPort = 1 };

  // One MIDI message, as sent or as received, stamped with the controller's frame clock.
  struct Event {
    std::uint64_t frame = 0;
    int port = 0;
    std::vector<unsigned char> bytes;
  };

  // recordSeconds: how much audio is kept (later frames are counted, not stored);
  // eventsPerCycle: the most messages written to one output port in one period; clientName:
  // the JACK client's name, which holds the client number of an ALSA address.
  VirtualController(double recordSeconds, int eventsPerCycle = 64,
                    std::string clientName = kClientName);
  ~VirtualController();

  // Opens and activates the client on the named server; false (with a line on stderr) on failure.
  bool open(const std::string& serverName);
  void close();

  // Connects the first two audio outputs of any other client (not "system") to the recorder,
  // retrying until timeoutSeconds: the program's audio client appears only at stream start.
  bool connectProgramAudio(double timeoutSeconds);

  // Connects the two named audio outputs to the recorder's left and right inputs, retrying
  // until timeoutSeconds: a client's ports accept connections only once it is active.
  bool connectRecorder(const std::string& left, const std::string& right, double timeoutSeconds);

  // The client's name as the server gave it.
  const std::string& clientName() const { return clientName_; }
  // Full names of the server's MIDI ports whose names match the regular expression and whose
  // flags include `flags` (JackPortIsInput, JackPortIsOutput).
  std::vector<std::string> midiPorts(const std::string& pattern, unsigned long flags) const;
  // Connects two ports of any clients; true when connected.
  bool connect(const std::string& source, const std::string& destination);

  // Queues a message for the next period; messages of one port go out in queue order.
  // Returns false when the queue is full.
  bool send(Port port, std::vector<unsigned char> bytes);
  // Messages queued by send() that have not yet gone out.
  std::size_t pendingSends() const;

  // Frames processed so far: the clock that stamps everything.
  std::uint64_t framesProcessed() const { return frames_.load(std::memory_order_acquire); }
  // The server's frame time (jack_last_frame_time) of this clock's frame 0, as of the last
  // period processed: it relates the clocks of two controllers on one server.
  std::uint32_t originFrameTime() const { return origin_.load(std::memory_order_acquire); }
  std::uint32_t sampleRate() const { return sampleRate_; }
  std::uint32_t periodFrames() const { return periodFrames_; }
  std::uint64_t xruns() const { return xruns_.load(); }
  // Why the server dropped this client, or "" while it has not.
  std::string shutdownReason() const;
  // CLOCK_MONOTONIC times (ns) at which the server reported each xrun, the first 4096.
  std::vector<std::int64_t> xrunTimes() const;

  // Copies of what was sent and received so far, oldest first.
  std::vector<Event> sentEvents() const;
  std::vector<Event> displayMessages() const;
  // Recorded left channel [from, to) (clipped to what is stored); right must equal left.
  std::vector<float> recording(std::uint64_t from, std::uint64_t to) const;
  // Frames in which left and right differed so far.
  std::uint64_t channelMismatches() const { return mismatches_.load(); }
  // Frames beyond the recorder's capacity.
  bool recordingFull() const { return framesProcessed() >= capacityFrames_; }

private:
  static int processThunk(jack_nframes_t frames, void* self);
  static int xrunThunk(void* self);
  static void shutdownThunk(jack_status_t code, const char* reason, void* self);
  int process(jack_nframes_t frames);
  void sendQueued(jack_nframes_t frames);
  void receiveDisplay(jack_nframes_t frames);
  void recordAudio(jack_nframes_t frames);

  struct Slot {
    std::uint64_t frame;
    std::uint8_t port;
    std::uint8_t size;
    unsigned char bytes[62];
  };
  static Event toEvent(const Slot& slot);

  std::string clientName_;
  jack_client_t* client_ = nullptr;
  jack_port_t* midiOut_[2] = {nullptr, nullptr};
  jack_port_t* displayIn_ = nullptr;
  jack_port_t* audioIn_[2] = {nullptr, nullptr};
  jack_ringbuffer_t* outgoing_ = nullptr;
  std::uint32_t sampleRate_ = 0;
  std::uint32_t periodFrames_ = 0;
  int eventsPerCycle_;
  std::uint64_t capacityFrames_;
  double recordSeconds_;

  // Written by the process thread only; published through the counters below.
  std::vector<float> left_;
  std::vector<Slot> sent_;
  std::vector<Slot> received_;
  Slot heldBack_ = {}; // a message taken from the queue that did not fit its period
  bool hasHeldBack_ = false;
  std::atomic<std::uint64_t> frames_{0};
  std::atomic<std::uint32_t> origin_{0};
  std::atomic<std::size_t> sentCount_{0};
  std::atomic<std::size_t> receivedCount_{0};
  std::atomic<std::uint64_t> mismatches_{0};
  std::atomic<std::uint64_t> xruns_{0};
  static constexpr std::size_t kMaxXrunTimes = 4096;
  std::int64_t xrunTimes_[kMaxXrunTimes] = {};
  std::atomic<std::size_t> xrunTimesCount_{0};
  std::atomic<std::size_t> queued_{0};
  char shutdownReason_[256] = {};
  std::atomic<bool> shutDown_{false};
};

#endif
