// The audio output: the back end and device the settings name, the check that the device runs
// at the chosen rate, and the stream with its real-time options.
#ifndef TAMBREL_AUDIOOUTPUT_H
#define TAMBREL_AUDIOOUTPUT_H

#include <iosfwd>
#include <string>

#include "RtAudio.h"
#include "Settings.h"

class AudioOutput {
public:
  explicit AudioOutput(const Settings& settings);
  AudioOutput(const AudioOutput&) = delete;
  AudioOutput& operator=(const AudioOutput&) = delete;

  // Finds the output device and checks that it runs at the sample rate. False after one line
  // (and the candidates for a device name) on err: the run ends with status 1. With no device
  // at all it says nothing: opening the stream reports that, as it always did.
  bool prepare(std::ostream& err);

  // Opens the stream: 64-bit float, interleaved channels, the asked buffer size, real-time
  // scheduling where the back end offers it. Returns the period the device chose (frames). An
  // RtAudioError passes to the caller.
  unsigned int open(RtAudioCallback callback, void* userData, unsigned int channels);

  RtAudio& dac() { return dac_; }
  // The name of the device --device chose (on JACK: a client's name); empty for the default.
  std::string deviceName();

private:
  bool findDevice(std::ostream& err);

  const Settings& settings_;
  RtAudio dac_;
  unsigned int deviceId_ = 0;
};

#endif
