// Everything start-up needs to know: where the MIDI ports come from, the audio output, the
// soundset directory and the terminal's LCD view. Defaults are the program's fixed configuration.
#ifndef TAMBREL_SETTINGS_H
#define TAMBREL_SETTINGS_H

#include <cstdint>
#include <string>

#include "RtAudio.h"
#include "RtMidi.h"

struct TickData;
class ControllerMap;

// How the three MIDI ports are found.
enum class PortSource {
  FixedNames, // the controller's fixed port names, looked up as they always were
  Selectors,  // each port chosen by a selector (--controller, --control-in, ...)
  Virtual,    // the program's own ports; a selector given is connected to them as well
};

struct Settings {
  PortSource portSource = PortSource::FixedNames;
  // Fixed port names, or selectors; with Virtual, an empty selector connects nothing.
  std::string controlIn = "ReMOTE ZeRO SL 20:1";
  std::string notesIn = "ReMOTE ZeRO SL 20:0";
  std::string lcdOut = "ReMOTE ZeRO SL 20:0";
  bool lcdPort = true; // false: the display's messages go nowhere
  RtMidi::Api midiApi = RtMidi::UNSPECIFIED;

  RtAudio::Api audioApi = RtAudio::UNSPECIFIED;
  std::string device;              // empty: the default output; else a number or a substring
  unsigned int sampleRate = 44100; // Hz
  bool sampleRateGiven = false;    // a rate the device does not run at is then no surprise
  unsigned int bufferFrames = 40;  // asked for; the device may choose another period

  std::string soundsetDir; // empty: the working directory
  bool lcdView = false;    // mirror the LCD on the terminal
  bool listPorts = false;  // list the ports and devices, then exit
  int noteChannel = 10;    // 1 .. 16: the channel whose notes play the drums at start-up

  // With MIDI and audio both on JACK: one JACK client of this name for both.
  std::string jackName = "tambrel";
  // False (tests only): the MIDI library's ports and the audio library's stream even on JACK.
  bool oneJackClient = true;

  std::string controllerMap;       // --controller-map: a file or a name; "" for the ReMOTE as is
  bool listControllerMaps = false; // list the maps found, then exit
  std::string learnFile;           // --learn-controller: the map learn mode writes
  // The map read at start-up (owned by main), translating the control input; null without one.
  const ControllerMap* controls = nullptr;

  // The audio callback the stream runs (tests may wrap `tick`); null means `tick`.
  RtAudioCallback audioCallback = nullptr;
  // Tests may wrap the JACK client's process callback in the same way: the wrapper gets the
  // callback, its argument, the period's frames and the record the callback works on, and
  // calls the callback. Null: the callback runs directly.
  using ProcessCallback = int (*)(uint32_t frames, void* arg);
  int (*processWrapper)(ProcessCallback process, uint32_t frames, void* arg,
                        TickData* data) = nullptr;
};

#endif
