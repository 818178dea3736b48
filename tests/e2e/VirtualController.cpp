// The virtual controller's JACK client: sends, receives and records in its process callback.
#include "VirtualController.h"

#include <jack/midiport.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <utility>

#include <time.h>

VirtualController::VirtualController(double recordSeconds, int eventsPerCycle,
                                     std::string clientName)
    : clientName_(std::move(clientName)), eventsPerCycle_(eventsPerCycle), capacityFrames_(0),
      recordSeconds_(recordSeconds) {
  // Room for every message the longest run sends and receives; nothing grows in the callback.
  sent_.resize(40000);
  received_.resize(400000);
  outgoing_ = jack_ringbuffer_create(sizeof(Slot) * 32768);
}

VirtualController::~VirtualController() {
  close();
  jack_ringbuffer_free(outgoing_);
}

bool VirtualController::open(const std::string& serverName) {
  jack_status_t status;
  client_ = jack_client_open(clientName_.c_str(),
                             jack_options_t(JackNoStartServer | JackServerName | JackUseExactName),
                             &status, serverName.c_str());
  if (!client_) {
    std::fprintf(stderr, "controller: cannot open JACK client (status 0x%x)\n", unsigned(status));
    return false;
  }
  sampleRate_ = jack_get_sample_rate(client_);
  periodFrames_ = jack_get_buffer_size(client_);
  capacityFrames_ = std::uint64_t(recordSeconds_ * sampleRate_);
  left_.assign(capacityFrames_, 0.0f);
  midiOut_[kNotePort] =
      jack_port_register(client_, "0", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
  midiOut_[kControlPort] =
      jack_port_register(client_, "1", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
  displayIn_ =
      jack_port_register(client_, kDisplayPort, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
  audioIn_[0] = jack_port_register(client_, "in_1", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
  audioIn_[1] = jack_port_register(client_, "in_2", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
  if (!midiOut_[0] || !midiOut_[1] || !displayIn_ || !audioIn_[0] || !audioIn_[1]) {
    std::fprintf(stderr, "controller: cannot register ports\n");
    close();
    return false;
  }
  jack_set_process_callback(client_, processThunk, this);
  jack_set_xrun_callback(client_, xrunThunk, this);
  jack_on_info_shutdown(client_, shutdownThunk, this);
  if (jack_activate(client_) != 0) {
    std::fprintf(stderr, "controller: cannot activate\n");
    close();
    return false;
  }
  return true;
}

void VirtualController::close() {
  if (!client_) return;
  jack_deactivate(client_);
  jack_client_close(client_);
  client_ = nullptr;
}

bool VirtualController::connectRecorder(const std::string& left, const std::string& right,
                                        double timeoutSeconds) {
  const std::string inputs[2] = {clientName_ + ":in_1", clientName_ + ":in_2"};
  bool connected[2] = {false, false};
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
  while (std::chrono::steady_clock::now() < deadline) {
    connected[0] = connected[0] || connect(left, inputs[0]);
    connected[1] = connected[1] || connect(right, inputs[1]);
    if (connected[0] && connected[1]) {
      // Frames recorded while only one side was connected are not the program's doing.
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      mismatches_.store(0);
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::fprintf(stderr, "controller: cannot connect %s and %s to the recorder\n", left.c_str(),
               right.c_str());
  return false;
}

bool VirtualController::connectProgramAudio(double timeoutSeconds) {
  const std::string left = clientName_ + ":in_1";
  const std::string right = clientName_ + ":in_2";
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
  while (std::chrono::steady_clock::now() < deadline) {
    const char** ports =
        jack_get_ports(client_, nullptr, JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput);
    std::vector<std::string> candidates;
    for (int i = 0; ports && ports[i]; ++i)
      if (std::strncmp(ports[i], "system:", 7) != 0) candidates.push_back(ports[i]);
    jack_free(ports);
    if (candidates.size() >= 2) {
      // EEXIST: the program's client already connected itself to us.
      int a = jack_connect(client_, candidates[0].c_str(), left.c_str());
      int b = jack_connect(client_, candidates[1].c_str(), right.c_str());
      if ((a == 0 || a == EEXIST) && (b == 0 || b == EEXIST)) {
        // Frames recorded while only one side was connected are not the program's doing.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        mismatches_.store(0);
        return true;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::fprintf(stderr, "controller: the program's audio outputs never appeared\n");
  return false;
}

std::vector<std::string> VirtualController::midiPorts(const std::string& pattern,
                                                      unsigned long flags) const {
  std::vector<std::string> names;
  const char** ports = jack_get_ports(client_, pattern.c_str(), JACK_DEFAULT_MIDI_TYPE, flags);
  for (int i = 0; ports && ports[i]; ++i)
    names.push_back(ports[i]);
  jack_free(ports);
  return names;
}

bool VirtualController::connect(const std::string& source, const std::string& destination) {
  const int result = jack_connect(client_, source.c_str(), destination.c_str());
  return result == 0 || result == EEXIST;
}

bool VirtualController::send(Port port, std::vector<unsigned char> bytes) {
  Slot slot{};
  slot.port = std::uint8_t(port);
  slot.size = std::uint8_t(bytes.size() < sizeof slot.bytes ? bytes.size() : sizeof slot.bytes);
  std::memcpy(slot.bytes, bytes.data(), slot.size);
  if (jack_ringbuffer_write_space(outgoing_) < sizeof slot) return false;
  jack_ringbuffer_write(outgoing_, reinterpret_cast<const char*>(&slot), sizeof slot);
  queued_.fetch_add(1);
  return true;
}

std::size_t VirtualController::pendingSends() const {
  return queued_.load() - sentCount_.load(std::memory_order_acquire);
}

int VirtualController::processThunk(jack_nframes_t frames, void* self) {
  return static_cast<VirtualController*>(self)->process(frames);
}

int VirtualController::xrunThunk(void* self) {
  auto* controller = static_cast<VirtualController*>(self);
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  // Xrun notifications arrive on one thread of the client, one at a time.
  const std::size_t n = controller->xrunTimesCount_.load(std::memory_order_relaxed);
  if (n < kMaxXrunTimes) {
    controller->xrunTimes_[n] = std::int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
    controller->xrunTimesCount_.store(n + 1, std::memory_order_release);
  }
  controller->xruns_.fetch_add(1);
  return 0;
}

void VirtualController::shutdownThunk(jack_status_t, const char* reason, void* self) {
  auto* controller = static_cast<VirtualController*>(self);
  std::snprintf(controller->shutdownReason_, sizeof controller->shutdownReason_, "%s",
                reason && *reason ? reason : "no reason given");
  controller->shutDown_.store(true, std::memory_order_release);
}

std::string VirtualController::shutdownReason() const {
  return shutDown_.load(std::memory_order_acquire) ? shutdownReason_ : "";
}

std::vector<std::int64_t> VirtualController::xrunTimes() const {
  const std::size_t n = xrunTimesCount_.load(std::memory_order_acquire);
  return std::vector<std::int64_t>(xrunTimes_, xrunTimes_ + n);
}

int VirtualController::process(jack_nframes_t frames) {
  // Taken afresh every period: a client's first period can see the previous period's time.
  origin_.store(jack_last_frame_time(client_) -
                    std::uint32_t(frames_.load(std::memory_order_relaxed)),
                std::memory_order_release);
  sendQueued(frames);
  receiveDisplay(frames);
  recordAudio(frames);
  frames_.store(frames_.load(std::memory_order_relaxed) + frames, std::memory_order_release);
  return 0;
}

void VirtualController::sendQueued(jack_nframes_t frames) {
  void* buffers[2] = {jack_port_get_buffer(midiOut_[0], frames),
                      jack_port_get_buffer(midiOut_[1], frames)};
  jack_midi_clear_buffer(buffers[0]);
  jack_midi_clear_buffer(buffers[1]);
  const std::uint64_t start = frames_.load(std::memory_order_relaxed);
  int written[2] = {0, 0};
  std::size_t count = sentCount_.load(std::memory_order_relaxed);
  // One queue for both ports keeps their interleaving; a message that does not fit waits, and
  // everything behind it, for the next period.
  while (count < sent_.size()) {
    if (!hasHeldBack_) {
      if (jack_ringbuffer_read_space(outgoing_) < sizeof(Slot)) break;
      jack_ringbuffer_read(outgoing_, reinterpret_cast<char*>(&heldBack_), sizeof(Slot));
      hasHeldBack_ = true;
    }
    const int port = heldBack_.port;
    if (written[port] >= eventsPerCycle_) break;
    jack_nframes_t offset = jack_nframes_t(written[0] + written[1]);
    if (offset >= frames) offset = frames - 1;
    if (jack_midi_event_write(buffers[port], offset, heldBack_.bytes, heldBack_.size) != 0) break;
    ++written[port];
    heldBack_.frame = start + offset;
    sent_[count++] = heldBack_;
    hasHeldBack_ = false;
  }
  sentCount_.store(count, std::memory_order_release);
}

void VirtualController::receiveDisplay(jack_nframes_t frames) {
  void* buffer = jack_port_get_buffer(displayIn_, frames);
  const std::uint64_t start = frames_.load(std::memory_order_relaxed);
  std::size_t count = receivedCount_.load(std::memory_order_relaxed);
  const jack_nframes_t events = jack_midi_get_event_count(buffer);
  for (jack_nframes_t i = 0; i < events && count < received_.size(); ++i) {
    jack_midi_event_t event;
    if (jack_midi_event_get(&event, buffer, i) != 0) continue;
    Slot& slot = received_[count++];
    slot.frame = start + event.time;
    slot.port = 0;
    slot.size = std::uint8_t(event.size < sizeof slot.bytes ? event.size : sizeof slot.bytes);
    std::memcpy(slot.bytes, event.buffer, slot.size);
  }
  receivedCount_.store(count, std::memory_order_release);
}

void VirtualController::recordAudio(jack_nframes_t frames) {
  auto* left = static_cast<const float*>(jack_port_get_buffer(audioIn_[0], frames));
  auto* right = static_cast<const float*>(jack_port_get_buffer(audioIn_[1], frames));
  const std::uint64_t start = frames_.load(std::memory_order_relaxed);
  std::uint64_t mismatches = 0;
  for (jack_nframes_t i = 0; i < frames; ++i) {
    if (left[i] != right[i]) ++mismatches;
    if (start + i < capacityFrames_) left_[start + i] = left[i];
  }
  if (mismatches) mismatches_.fetch_add(mismatches);
}

VirtualController::Event VirtualController::toEvent(const Slot& slot) {
  Event event;
  event.frame = slot.frame;
  event.port = slot.port;
  event.bytes.assign(slot.bytes, slot.bytes + slot.size);
  return event;
}

std::vector<VirtualController::Event> VirtualController::sentEvents() const {
  const std::size_t n = sentCount_.load(std::memory_order_acquire);
  std::vector<Event> events;
  events.reserve(n);
  for (std::size_t i = 0; i < n; ++i)
    events.push_back(toEvent(sent_[i]));
  return events;
}

std::vector<VirtualController::Event> VirtualController::displayMessages() const {
  const std::size_t n = receivedCount_.load(std::memory_order_acquire);
  std::vector<Event> events;
  events.reserve(n);
  for (std::size_t i = 0; i < n; ++i)
    events.push_back(toEvent(received_[i]));
  return events;
}

std::vector<float> VirtualController::recording(std::uint64_t from, std::uint64_t to) const {
  std::uint64_t end = framesProcessed();
  if (end > capacityFrames_) end = capacityFrames_;
  if (to > end) to = end;
  if (from >= to) return {};
  return std::vector<float>(left_.begin() + from, left_.begin() + to);
}
