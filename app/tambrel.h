// The application core: the record shared by the threads, the audio callback and MIDI routing.
#ifndef TAMBREL_TAMBREL_H
#define TAMBREL_TAMBREL_H

#include <atomic>
#include <deque>
#include <string>
#include <vector>

#include "Mutex.h"
#include "RtAudio.h"
#include "RtMidi.h"
#include "Settings.h"
#include "Skini.h"

namespace stk {
class ZorvDrumKit;
class NovationLogic;
class NovationDisplay;
} // namespace stk

// Set by SIGINT, or at start-up when a controller port is missing; ends the run.
extern std::atomic<bool> done;

struct TickData {
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
  std::deque<stk::Skini::Message> messageQueue;
  bool messagePending = false;
  stk::Skini::Message pendingMessage;
  stk::Mutex queueMutex;
};

// The audio callback (RtAudioCallback); userData is the TickData. Once `done` is set it fills
// the rest of the buffer with silence.
int tick(void* outputBuffer, void* inputBuffer, unsigned int nFrames, double streamTime,
         unsigned int status, void* userData);

// Start-up as the settings say, run until SIGINT, clean-up. Returns the exit status: 0, or 1 when
// the audio device does not fit the settings or a port chosen by selector or an own port could
// not be opened (a missing port of the fixed names still ends with 0).
int runTambrel(const Settings& settings);

// Applies pendingMessage to the kit, the display or the logic; clears messagePending.
void processMessage(TickData* data);

// Converts one MIDI message to a Skini message (time 0). Never registered with the library.
stk::Skini::Message midiCallback(double deltaTime, std::vector<unsigned char>* message,
                                 void* userData);
// Queue one message each; the control port's messages carry channel + 16.
void ctlPortMidiCallback(double deltaTime, std::vector<unsigned char>* message, void* userData);
void notePortMidiCallback(double deltaTime, std::vector<unsigned char>* message, void* userData);

#endif
