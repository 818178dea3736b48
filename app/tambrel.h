// The application core: the record shared by the threads, the audio callback and MIDI routing.
#ifndef TAMBREL_TAMBREL_H
#define TAMBREL_TAMBREL_H

#include "Nonblocking.h"
#include <pthread.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "LiveTiming.h"
#include "MpscRing.h"
#include "RtAudio.h"
#include "RtMidi.h"
#include "Settings.h"
#include "Skini.h"

namespace stk {
class ZorvDrumKit;
class NovationLogic;
class NovationDisplay;
class FileWorker;
} // namespace stk
class ControllerTranslator;

// Set by SIGINT or SIGTERM, by the JACK server's going away, or at start-up when a controller port
// is missing; ends the run.
extern std::atomic<bool> done;

// One queued MIDI message: a plain record the input threads hand to the audio thread.
struct QueuedMessage {
  int32_t type = 0;    // status with the channel bits cleared; 0: nothing to apply
  int32_t channel = 0; // 0 .. 15 from the note port, 16 .. 31 from the control port
  int32_t data1 = 0;   // 0 .. 127 (pitch bend: its 14-bit value)
  int32_t data2 = 0;   // 0 .. 127
  int64_t stamp = 0;   // arrival time (ns) on the live timing's clock; 0: none, apply at once
};

struct TickData {
  // Messages the queue holds at most; one more is counted in messagesDropped.
  static constexpr size_t kQueueCapacity = 16384;

  stk::ZorvDrumKit* kit = nullptr;
  RtMidiIn* controlPortIn = nullptr;
  RtMidiOut* displayPortOut = nullptr;
  RtMidiIn* notePortIn = nullptr;
  int midiChannel; // 0 .. 15; start-up sets 9
  stk::NovationLogic* logic = nullptr;
  stk::NovationDisplay* display = nullptr;
  int channelCount = 2;
  int framesToNextMessage = 0;
  bool outputEnabled = false;
  MpscRing<QueuedMessage, kQueueCapacity> messageQueue;
  std::atomic<uint64_t> messagesDropped{0}; // reported by the main thread
  bool messagePending = false;
  QueuedMessage pendingMessage;
  stk::FileWorker* files = nullptr; // the logic's file worker, whose loads the callback awaits
  uint64_t messagesApplied = 0;     // audio thread
  std::atomic<bool> audioThreadKnown{false};
  pthread_t audioThread{}; // set by the first callback
  // Stamps messages on arrival and places them on frames; off unless started (the live program
  // starts it on the audio library's path).
  LiveTiming timing;
  int framesDone = 0; // frames of the current callback rendered so far
  // With a controller map: translates the control input's messages (its MIDI thread only).
  ControllerTranslator* translator = nullptr;
  // The note input hears the control input's port too: it leaves the map's messages alone.
  bool notesShareControl = false;
};

// The audio callback (RtAudioCallback); userData is the TickData. Once `done` is set it fills
// the rest of the buffer with silence.
int tick(void* outputBuffer, void* inputBuffer, unsigned int nFrames, double streamTime,
         unsigned int status, void* userData) TAMBREL_NONBLOCKING;

// Start-up as the settings say, run until SIGINT, clean-up. Returns the exit status: 0, or 1 when
// the audio device does not fit the settings or a port chosen by selector or an own port could
// not be opened (a missing port of the fixed names still ends with 0).
int runTambrel(const Settings& settings);

// Applies pendingMessage to the kit, the display or the logic; clears messagePending.
void processMessage(TickData* data) TAMBREL_NONBLOCKING;

// Converts one MIDI message to a Skini message (time 0). Never registered with the library.
stk::Skini::Message midiCallback(double deltaTime, std::vector<unsigned char>* message,
                                 void* userData);
// Converts one raw MIDI message of a port to its queued record; false for system messages and
// messages shorter than two bytes. The control port's messages carry channel + 16.
bool toQueuedMessage(const unsigned char* bytes, size_t size, bool controlPort,
                     QueuedMessage& message) TAMBREL_NONBLOCKING;

// One message of the control input through the controller map, on the thread that reads the
// input: false when the map drops it; true otherwise, with `mapped` telling whether `message` now
// holds the map's control change, or the message goes on as it is (no map, or passed on).
bool throughControllerMap(TickData* data, const unsigned char* bytes, size_t size,
                          QueuedMessage& message, bool& mapped) TAMBREL_NONBLOCKING;

// Queue one message each; the control port's messages carry channel + 16. With a translator the
// control port's messages are translated first (or dropped), and the note port skips messages the
// map takes when both inputs hear the same port.
void ctlPortMidiCallback(double deltaTime, std::vector<unsigned char>* message, void* userData);
void notePortMidiCallback(double deltaTime, std::vector<unsigned char>* message, void* userData);

#endif
