// The sender's and the recorder's process callbacks and their hand-offs to the test thread.
#include "NoteProbe.h"

#include <jack/midiport.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {

template <class Condition> bool waitFor(double timeoutSeconds, const Condition& condition) {
  const auto until =
      std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  return true;
}

jack_client_t* openClient(const char* name, const std::string& serverName) {
  jack_status_t status;
  jack_client_t* client =
      jack_client_open(name, jack_options_t(JackNoStartServer | JackServerName | JackUseExactName),
                       &status, serverName.c_str());
  if (!client) std::fprintf(stderr, "cannot open JACK client %s (status 0x%x)\n", name, status);
  return client;
}

} // namespace

NoteProbe::~NoteProbe() {
  close();
}

void NoteProbe::close() {
  for (jack_client_t** client : {&sender_, &recorder_}) {
    if (!*client) continue;
    jack_deactivate(*client);
    jack_client_close(*client);
    *client = nullptr;
  }
}

bool NoteProbe::open(const std::string& serverName) {
  sender_ = openClient(kSenderName, serverName);
  recorder_ = openClient(kRecorderName, serverName);
  if (!sender_ || !recorder_) return false;
  out_ = jack_port_register(sender_, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
  in_[0] = jack_port_register(recorder_, "in 0", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
  in_[1] = jack_port_register(recorder_, "in 1", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
  jack_set_process_callback(sender_, &NoteProbe::sendThunk, this);
  jack_set_process_callback(recorder_, &NoteProbe::recordThunk, this);
  jack_set_xrun_callback(recorder_, &NoteProbe::xrunThunk, this);
  return out_ && in_[0] && in_[1] && jack_activate(sender_) == 0 && jack_activate(recorder_) == 0;
}

std::string NoteProbe::senderPort() const {
  return std::string(kSenderName) + ":out";
}

bool NoteProbe::connectProgramAudio(double timeoutSeconds) {
  return waitFor(timeoutSeconds, [this] {
    int connected = 0;
    for (int channel = 0; channel < 2; channel++) {
      const std::string pattern = channel == 0 ? ":outport 0$" : ":outport 1$";
      const char** ports =
          jack_get_ports(recorder_, pattern.c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput);
      // Connected on an earlier try counts; the newest program's port may follow one of a
      // program that is just going away.
      bool channelConnected = false;
      for (size_t i = 0; ports && ports[i]; i++) {
        const int result = jack_connect(recorder_, ports[i], jack_port_name(in_[channel]));
        if (result == 0 || result == EEXIST) channelConnected = true;
      }
      if (channelConnected) connected++;
      jack_free(ports);
    }
    return connected == 2;
  });
}

bool NoteProbe::waitForListener(double timeoutSeconds) const {
  return waitFor(timeoutSeconds, [this] { return jack_port_connected(out_) > 0; });
}

long long NoteProbe::send(std::array<unsigned char, 3> bytes, std::uint32_t offset) {
  message_ = bytes;
  offset_ = offset;
  sentFrame_ = -1;
  request_.store(true, std::memory_order_release);
  if (!waitFor(1.0, [this] { return !request_.load(std::memory_order_acquire); })) return -1;
  return sentFrame_.load();
}

long long NoteProbe::onsetFrom(std::uint64_t from, double timeoutSeconds) {
  const long long first = static_cast<long long>(from);
  if (!waitFor(timeoutSeconds, [this, first] { return soundStart_.load() >= first; })) return -1;
  return soundStart_.load();
}

bool NoteProbe::waitForSilence(std::uint32_t frames, double timeoutSeconds) const {
  return waitFor(timeoutSeconds,
                 [this, frames] { return recordedUntil_.load() - lastSound_.load() > frames; });
}

int NoteProbe::sendThunk(jack_nframes_t frames, void* self) {
  NoteProbe& probe = *static_cast<NoteProbe*>(self);
  void* buffer = jack_port_get_buffer(probe.out_, frames);
  jack_midi_clear_buffer(buffer);
  if (probe.request_.load(std::memory_order_acquire) && probe.offset_ < frames) {
    if (jack_midi_event_write(buffer, probe.offset_, probe.message_.data(), 3) == 0)
      probe.sentFrame_ =
          static_cast<long long>(jack_last_frame_time(probe.sender_)) + probe.offset_;
    probe.request_.store(false, std::memory_order_release);
  }
  return 0;
}

int NoteProbe::recordThunk(jack_nframes_t frames, void* self) {
  NoteProbe& probe = *static_cast<NoteProbe*>(self);
  const float* left = static_cast<const float*>(jack_port_get_buffer(probe.in_[0], frames));
  const long long start = jack_last_frame_time(probe.recorder_);
  for (jack_nframes_t i = 0; i < frames; i++) {
    if (left[i] == 0.0f) continue;
    const long long last = probe.lastSound_.load();
    if (last < 0 || start + i - last > kQuietGap) probe.soundStart_ = start + i;
    probe.lastSound_ = start + i;
  }
  probe.recordedUntil_ = start + frames;
  return 0;
}

int NoteProbe::xrunThunk(void* self) {
  static_cast<NoteProbe*>(self)->xruns_++;
  return 0;
}
