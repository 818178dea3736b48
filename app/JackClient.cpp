// Client and ports, the process callback with its sample-accurate MIDI, the display output and
// the shutdown notice.
#include "JackClient.h"

#include "ControllerTranslator.h"
#include "DisplayOutbox.h"
#include "FileWorker.h"
#include "NovationLogic.h"
#include "ZorvDrumKit.h"

#include <jack/midiport.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <ostream>
#include <thread>

namespace {
// Frames rendered at most between two looks at the held messages (about 1.45 ms at 44.1 kHz).
constexpr jack_nframes_t kBlockFrames = 64;
} // namespace

JackClient::JackClient(TickData& data, stk::DisplayOutbox& outbox) : data_(data), outbox_(outbox) {}

JackClient::~JackClient() {
  close();
}

bool JackClient::open(const std::string& name, std::ostream& err) {
  jack_status_t status;
  client_ = jack_client_open(name.c_str(), JackNoStartServer, &status);
  if (!client_) {
    err << "tambrel: cannot open the JACK client \"" << name << "\": no JACK server answers\n";
    return false;
  }
  controlIn_ = jack_port_register(client_, "control", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
  notesIn_ = jack_port_register(client_, "notes", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
  lcdOut_ = jack_port_register(client_, "lcd", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
  audioOut_[0] =
      jack_port_register(client_, "outport 0", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
  audioOut_[1] =
      jack_port_register(client_, "outport 1", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
  if (!controlIn_ || !notesIn_ || !lcdOut_ || !audioOut_[0] || !audioOut_[1]) {
    err << "tambrel: the JACK server refused the ports of client \"" << name << "\"\n";
    close();
    return false;
  }
  periodFrames_ = jack_get_buffer_size(client_);
  jack_set_process_callback(client_, &JackClient::processThunk, this);
  jack_set_buffer_size_callback(client_, &JackClient::bufferSizeThunk, this);
  jack_on_info_shutdown(client_, &JackClient::shutdownThunk, this);
  return true;
}

void JackClient::paceDisplay() {
  // One whole message of the longest kind may always go after a pause.
  pacer_.limit(BytePacer::kCableBytesPerSecond, sampleRate(), 64.0);
}

bool JackClient::activate(std::ostream& err) {
  if (jack_activate(client_) != 0) {
    err << "tambrel: the JACK server did not start the client\n";
    return false;
  }
  active_ = true;
  return true;
}

void JackClient::connectAudio(const std::string& device, std::ostream& err) {
  const unsigned long flags = JackPortIsInput | (device.empty() ? JackPortIsPhysical : 0);
  const char** ports = jack_get_ports(client_, nullptr, JACK_DEFAULT_AUDIO_TYPE, flags);
  const std::string prefix = device + ":";
  int connected = 0;
  for (size_t i = 0; ports && ports[i] && connected < 2; i++) {
    if (!device.empty() && std::strncmp(ports[i], prefix.c_str(), prefix.size()) != 0) continue;
    if (jack_connect(client_, jack_port_name(audioOut_[connected]), ports[i]) == 0) connected++;
  }
  jack_free(ports);
  if (connected == 0)
    err << "tambrel: no audio input of " << (device.empty() ? "the sound card" : device)
        << " to connect to; connect tambrel's outports yourself\n";
}

void JackClient::awaitDisplay(double seconds) const {
  const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (active_ && displayHold_.load() >= 0 && !serverGone() && !outbox_.empty() &&
         std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

void JackClient::close() {
  if (!client_) return;
  if (active_) jack_deactivate(client_);
  active_ = false;
  jack_client_close(client_);
  client_ = nullptr;
}

int JackClient::processThunk(jack_nframes_t frames, void* self) {
  JackClient* client = static_cast<JackClient*>(self);
  if (client->wrapper_)
    return client->wrapper_(&JackClient::processDirect, frames, self, &client->data_);
  return client->process(frames);
}

int JackClient::processDirect(uint32_t frames, void* self) {
  return static_cast<JackClient*>(self)->process(frames);
}

int JackClient::bufferSizeThunk(jack_nframes_t frames, void* self) {
  // Nothing is sized by the period: rendering goes in fixed blocks, the pacing by frames.
  static_cast<JackClient*>(self)->periodFrames_.store(frames);
  return 0;
}

void JackClient::shutdownThunk(jack_status_t, const char* reason, void* self) {
  // Only signals: the main thread closes the client and ends the run.
  JackClient* client = static_cast<JackClient*>(self);
  std::strncpy(client->shutdownReason_, reason ? reason : "", sizeof client->shutdownReason_ - 1);
  client->serverGone_.store(true, std::memory_order_release);
  done = true;
}

int JackClient::process(jack_nframes_t frames) {
  if (!data_.audioThreadKnown.load(std::memory_order_relaxed)) {
    data_.audioThread = pthread_self();
    data_.audioThreadKnown.store(true, std::memory_order_release);
  }
  if (data_.files) data_.files->flush();
  float* left = static_cast<float*>(jack_port_get_buffer(audioOut_[0], frames));
  float* right = static_cast<float*>(jack_port_get_buffer(audioOut_[1], frames));
  void* control = jack_port_get_buffer(controlIn_, frames);
  void* notes = jack_port_get_buffer(notesIn_, frames);

  // The two inputs' events in time order; at equal times the control port's first.
  const uint32_t controlCount = jack_midi_get_event_count(control);
  const uint32_t noteCount = jack_midi_get_event_count(notes);
  uint32_t controlIndex = 0, noteIndex = 0;
  jack_midi_event_t controlEvent, noteEvent;
  bool hasControl = controlCount > 0 && jack_midi_event_get(&controlEvent, control, 0) == 0;
  bool hasNote = noteCount > 0 && jack_midi_event_get(&noteEvent, notes, 0) == 0;
  jack_nframes_t at = 0; // frames rendered so far
  while (hasControl || hasNote) {
    const bool fromControl = hasControl && (!hasNote || controlEvent.time <= noteEvent.time);
    const jack_midi_event_t& event = fromControl ? controlEvent : noteEvent;
    const jack_nframes_t time = std::min(std::max(event.time, at), frames);
    renderUntil(left, at, time);
    at = time;
    QueuedMessage message;
    if (toMessage(event, fromControl, message)) deliver(message);
    if (fromControl)
      hasControl = ++controlIndex < controlCount &&
                   jack_midi_event_get(&controlEvent, control, controlIndex) == 0;
    else
      hasNote = ++noteIndex < noteCount && jack_midi_event_get(&noteEvent, notes, noteIndex) == 0;
  }
  renderUntil(left, at, frames);
  std::memcpy(right, left, frames * sizeof(float));

  void* lcd = jack_port_get_buffer(lcdOut_, frames);
  jack_midi_clear_buffer(lcd);
  writeDisplay(lcd, frames);
  return 0;
}

bool JackClient::toMessage(const jack_midi_event_t& event, bool fromControl,
                           QueuedMessage& message) {
  if (fromControl) {
    bool mapped = false;
    if (!throughControllerMap(&data_, event.buffer, event.size, message, mapped)) return false;
    if (mapped) return true;
  } else if (data_.notesShareControl && data_.translator->takes(event.buffer, event.size)) {
    return false; // the map's own message, heard on the notes input too
  }
  return toQueuedMessage(event.buffer, event.size, fromControl, message);
}

void JackClient::renderUntil(float* out, jack_nframes_t from, jack_nframes_t to) {
  while (from < to) {
    applyHeld();
    const jack_nframes_t count = std::min(to - from, kBlockFrames);
    data_.kit->renderBlock(out + from, count);
    from += count;
  }
}

void JackClient::deliver(const QueuedMessage& message) {
  applyHeld();
  const bool held = (data_.logic && data_.logic->awaitingRead()) || !data_.messageQueue.empty();
  if (held) { // behind a Load or Paste that waits for its file, in order
    if (!data_.messageQueue.push(message)) data_.messagesDropped.fetch_add(1);
    return;
  }
  data_.pendingMessage = message;
  data_.messagePending = true;
  processMessage(&data_);
}

void JackClient::applyHeld() {
  stk::NovationLogic* logic = data_.logic;
  for (;;) {
    if (logic && logic->awaitingRead()) {
      stk::FileResult result;
      if (!data_.files || !data_.files->takeResult(result)) return;
      logic->completeRead(result);
      continue;
    }
    if (!data_.messageQueue.pop(data_.pendingMessage)) return;
    data_.messagePending = true;
    processMessage(&data_);
  }
}

void JackClient::writeDisplay(void* buffer, jack_nframes_t frames) {
  const int hold = displayHold_.load(std::memory_order_acquire);
  if (hold != 0) {
    if (hold > 0) displayHold_.store(hold - 1, std::memory_order_release);
    return;
  }
  pacer_.advance(frames);
  outbox_.drainWith([this, buffer](const unsigned char* bytes, size_t size) {
    if (!pacer_.allows(size)) return false;
    // All at the period's first frame, in order; what does not fit waits for the next period.
    jack_midi_data_t* slot = jack_midi_event_reserve(buffer, 0, size);
    if (!slot) return false;
    std::memcpy(slot, bytes, size);
    pacer_.spend(size);
    if (mirror_) mirror_->post(bytes, size);
    return true;
  });
}
