// Device lookup by number or part of its name, the sample-rate check and the stream opening.
#include "AudioOutput.h"

#include "NameText.h"

#include <algorithm>
#include <cctype>
#include <ostream>
#include <vector>

AudioOutput::AudioOutput(const Settings& settings) : settings_(settings), dac_(settings.audioApi) {}

bool AudioOutput::findDevice(std::ostream& err) {
  const unsigned int count = dac_.getDeviceCount();
  if (settings_.device.empty()) {
    deviceId_ = dac_.getDefaultOutputDevice();
    return true;
  }
  if (NameText::allDigits(settings_.device) && settings_.device.size() < 6) {
    deviceId_ = static_cast<unsigned int>(std::stoul(settings_.device));
    if (deviceId_ < count) return true;
    err << "tambrel: no audio device number " << settings_.device << " (there are " << count
        << "; see --list-ports)\n";
    return false;
  }
  std::vector<unsigned int> found;
  std::vector<std::string> names(count);
  for (unsigned int i = 0; i < count; i++) {
    RtAudio::DeviceInfo info = dac_.getDeviceInfo(i);
    names[i] = info.name;
    if (info.outputChannels > 0 && NameText::lowerCase(info.name).find(
                                       NameText::lowerCase(settings_.device)) != std::string::npos)
      found.push_back(i);
  }
  if (found.size() == 1) {
    deviceId_ = found[0];
    return true;
  }
  if (found.empty()) {
    err << "tambrel: no audio output device matches \"" << settings_.device << "\"; the "
        << RtAudio::getApiDisplayName(dac_.getCurrentApi()) << " devices are:\n";
    for (unsigned int i = 0; i < count; i++)
      err << "  #" << i << ": " << names[i] << "\n";
    if (count == 0) err << "  (none)\n";
  } else {
    err << "tambrel: " << found.size() << " audio output devices match \"" << settings_.device
        << "\"; give one of:\n";
    for (unsigned int i : found)
      err << "  #" << i << ": " << names[i] << "\n";
  }
  return false;
}

bool AudioOutput::prepare(std::ostream& err) {
  if (settings_.audioApi != RtAudio::UNSPECIFIED && dac_.getCurrentApi() != settings_.audioApi) {
    err << "tambrel: this build has no " << RtAudio::getApiDisplayName(settings_.audioApi)
        << " audio back end\n";
    return false;
  }
  if (!findDevice(err)) return false;
  if (dac_.getDeviceCount() == 0) return true;

  RtAudio::DeviceInfo info;
  try {
    info = dac_.getDeviceInfo(deviceId_);
  } catch (RtAudioError&) {
    return true; // the stream's opening reports what is wrong with the device
  }
  const std::vector<unsigned int>& rates = info.sampleRates;
  if (!info.probed || rates.empty() ||
      std::find(rates.begin(), rates.end(), settings_.sampleRate) != rates.end())
    return true;

  // Playing at another rate than the device's would change every pitch and time.
  const unsigned int suggested =
      info.preferredSampleRate > 0 ? info.preferredSampleRate : rates.front();
  if (dac_.getCurrentApi() == RtAudio::UNIX_JACK)
    err << "tambrel: the JACK server runs at " << suggested << " Hz, not " << settings_.sampleRate
        << " Hz; start tambrel with --sample-rate " << suggested << "\n";
  else
    err << "tambrel: audio device \"" << info.name << "\" does not run at " << settings_.sampleRate
        << " Hz; start tambrel with --sample-rate " << suggested << "\n";
  return false;
}

std::string AudioOutput::deviceName() {
  if (settings_.device.empty()) return "";
  try {
    return dac_.getDeviceInfo(deviceId_).name;
  } catch (RtAudioError&) {
    return "";
  }
}

unsigned int AudioOutput::open(RtAudioCallback callback, void* userData, unsigned int channels) {
  RtAudio::StreamParameters output;
  output.deviceId = deviceId_;
  output.nChannels = channels;
  output.firstChannel = 0;
  RtAudio::StreamOptions options;
  options.flags = RTAUDIO_SCHEDULE_REALTIME;
  options.streamName = "tambrel";
  unsigned int bufferFrames = settings_.bufferFrames; // the library may choose another period
  dac_.openStream(&output, nullptr, RTAUDIO_FLOAT64, settings_.sampleRate, &bufferFrames, callback,
                  userData, &options);
  return bufferFrames;
}
