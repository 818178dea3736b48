// Two libjack clients that time the program's notes: a sender with one MIDI output that never
// listens to the program, and a recorder of the program's audio. Both stamp with the server's
// frame clock, so a note's send frame and its sound's first frame compare directly.
#ifndef TAMBREL_TESTS_E2E_NOTEPROBE_H
#define TAMBREL_TESTS_E2E_NOTEPROBE_H

#include <jack/jack.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

class NoteProbe {
public:
  static constexpr const char* kSenderName = "note-sender";
  static constexpr const char* kRecorderName = "sound-recorder";

  NoteProbe() = default;
  ~NoteProbe();
  NoteProbe(const NoteProbe&) = delete;
  NoteProbe& operator=(const NoteProbe&) = delete;

  // Opens and activates both clients on the named server; false (a line on stderr) on failure.
  bool open(const std::string& serverName);
  // The sender's output, "note-sender:out".
  std::string senderPort() const;
  // Connects the recorder to the audio outputs named "outport 0" and "outport 1" of any client,
  // retrying until timeoutSeconds.
  bool connectProgramAudio(double timeoutSeconds);

  // Waits until something is connected to the sender's output.
  bool waitForListener(double timeoutSeconds) const;
  // Sends a three-byte message `offset` frames into the next period (offset < period) and
  // returns the frame it went out at, or -1 when the sender did not run within a second.
  long long send(std::array<unsigned char, 3> bytes, std::uint32_t offset);
  // The first frame of a sound that began at or after `from` (after a silence), waiting up to
  // timeoutSeconds; -1 when none came.
  long long onsetFrom(std::uint64_t from, double timeoutSeconds);
  // Waits until the recording has been silent for `frames` frames.
  bool waitForSilence(std::uint32_t frames, double timeoutSeconds) const;

  std::uint32_t periodFrames() const { return jack_get_buffer_size(sender_); }
  std::uint32_t sampleRate() const { return jack_get_sample_rate(sender_); }
  std::uint64_t xruns() const { return xruns_.load(); }

private:
  static int sendThunk(jack_nframes_t frames, void* self);
  static int recordThunk(jack_nframes_t frames, void* self);
  static int xrunThunk(void* self);
  void close();

  jack_client_t* sender_ = nullptr;
  jack_client_t* recorder_ = nullptr;
  jack_port_t* out_ = nullptr;
  jack_port_t* in_[2] = {nullptr, nullptr};

  // The one message in flight: the test thread fills it and sets `request_`; the sender writes
  // it, stores the frame and clears `request_`.
  std::array<unsigned char, 3> message_ = {};
  std::uint32_t offset_ = 0;
  std::atomic<bool> request_{false};
  std::atomic<long long> sentFrame_{-1};

  // A sound that follows more than this many silent frames is a new one (frames).
  static constexpr long long kQuietGap = 256;
  std::atomic<long long> soundStart_{-1}; // first frame of the latest sound
  std::atomic<long long> lastSound_{-1};  // frame of the latest non-zero sample
  std::atomic<long long> recordedUntil_{0};
  std::atomic<std::uint64_t> xruns_{0};
};

#endif
