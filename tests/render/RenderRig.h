// What the renderer's tests share: a scratch directory, runs of the program, the samples of the
// files it writes, and Standard MIDI Files built byte by byte.
#ifndef TAMBREL_RENDERRIG_H
#define TAMBREL_RENDERRIG_H

#include <cstdint>
#include <string>
#include <vector>

namespace renderrig {

using Bytes = std::vector<uint8_t>;

struct Outcome {
  int status;      // exit status, or 128 + signal
  Bytes out;       // standard output
  std::string err; // standard error
};

// A fresh directory under /tmp, removed with everything in it at the end of the test.
class Scratch {
public:
  Scratch();
  ~Scratch();
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  std::string write(const std::string& name, const Bytes& bytes) const; // returns the path
  std::vector<std::string> names() const;                               // sorted

private:
  std::string dir_;
};

// tambrel-render with these arguments; `interruptAfterMs` >= 0 sends SIGINT that much later.
Outcome render(const std::vector<std::string>& args, int interruptAfterMs = -1);
Bytes readBytes(const std::string& path);

struct Audio {
  int channels = 0;
  int rate = 0;
  std::vector<float> samples; // interleaved
  size_t frames() const { return channels ? samples.size() / channels : 0; }
};
Audio readAudio(const std::string& path);

// Frames at which a sound starts: a sample other than 0 after at least `gap` zero samples (or
// at the start). Mono samples.
std::vector<size_t> onsets(const std::vector<float>& mono, size_t gap = 64);

// Rendered with a fixed seed to mono f32 WAV, and its onsets.
std::vector<size_t> onsetsOf(const Scratch& scratch, const Bytes& midiFile,
                             std::vector<std::string> extraArgs = {});

// Standard MIDI File parts.
Bytes vlq(uint32_t value);
Bytes event(uint32_t delta, Bytes bytes); // delta time then the bytes
Bytes track(const std::vector<Bytes>& events, bool endOfTrack = true);
Bytes smf(int format, uint16_t division, const std::vector<Bytes>& tracks);
Bytes tempo(uint32_t microsPerQuarter); // the meta event without its delta
Bytes operator+(Bytes a, const Bytes& b);

} // namespace renderrig

#endif
