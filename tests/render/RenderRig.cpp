// Scratch directories, child runs of tambrel-render, audio files and MIDI bytes for the tests.
#include "RenderRig.h"

#include <sndfile.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

namespace renderrig {

Scratch::Scratch() {
  char pattern[] = "/tmp/tambrel-render-test-XXXXXX";
  if (!mkdtemp(pattern)) throw std::runtime_error("mkdtemp");
  dir_ = pattern;
}

Scratch::~Scratch() {
  std::filesystem::remove_all(dir_);
}

std::string Scratch::write(const std::string& name, const Bytes& bytes) const {
  std::ofstream(path(name), std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  return path(name);
}

std::vector<std::string> Scratch::names() const {
  std::vector<std::string> all;
  for (const auto& entry : std::filesystem::directory_iterator(dir_))
    all.push_back(entry.path().filename());
  std::sort(all.begin(), all.end());
  return all;
}

Bytes readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

Outcome render(const std::vector<std::string>& args, int interruptAfterMs) {
  Scratch streams;
  const std::string out = streams.path("out"), err = streams.path("err");
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDOUT_FILENO);
    dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
    std::vector<char*> argv{const_cast<char*>(TAMBREL_RENDER)};
    for (const std::string& a : args)
      argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(TAMBREL_RENDER, argv.data());
    _exit(127);
  }
  if (interruptAfterMs >= 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(interruptAfterMs));
    kill(pid, SIGINT);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  const Bytes errBytes = readBytes(err);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), readBytes(out),
          std::string(errBytes.begin(), errBytes.end())};
}

Audio readAudio(const std::string& path) {
  SF_INFO info = {};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  Audio audio;
  if (!file) return audio;
  audio.channels = info.channels;
  audio.rate = info.samplerate;
  audio.samples.resize(static_cast<size_t>(info.frames * info.channels));
  sf_readf_float(file, audio.samples.data(), info.frames);
  sf_close(file);
  return audio;
}

std::vector<size_t> onsets(const std::vector<float>& mono, size_t gap) {
  std::vector<size_t> found;
  size_t zeros = gap;
  for (size_t i = 0; i < mono.size(); ++i) {
    if (mono[i] != 0.0f && zeros >= gap) found.push_back(i);
    zeros = mono[i] == 0.0f ? zeros + 1 : 0;
  }
  return found;
}

std::vector<size_t> onsetsOf(const Scratch& scratch, const Bytes& midiFile,
                             std::vector<std::string> extraArgs) {
  std::vector<std::string> args{scratch.write("in.mid", midiFile), "-o", scratch.path("on.wav")};
  for (const char* a : {"--seed", "1", "--format", "f32", "--mono", "-q"})
    args.push_back(a);
  args.insert(args.end(), extraArgs.begin(), extraArgs.end());
  if (render(args).status != 0) return {};
  return onsets(readAudio(scratch.path("on.wav")).samples);
}

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Bytes vlq(uint32_t value) {
  Bytes bytes{static_cast<uint8_t>(value & 0x7F)};
  while (value >>= 7)
    bytes.insert(bytes.begin(), static_cast<uint8_t>(0x80 | (value & 0x7F)));
  return bytes;
}

Bytes event(uint32_t delta, Bytes bytes) {
  return vlq(delta) + bytes;
}

static Bytes be32(uint32_t v) {
  return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}

Bytes track(const std::vector<Bytes>& events, bool endOfTrack) {
  Bytes body;
  for (const Bytes& e : events)
    body = body + e;
  if (endOfTrack) body = body + Bytes{0x00, 0xFF, 0x2F, 0x00};
  return Bytes{'M', 'T', 'r', 'k'} + be32(static_cast<uint32_t>(body.size())) + body;
}

Bytes smf(int format, uint16_t division, const std::vector<Bytes>& tracks) {
  Bytes file = Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, uint8_t(format), 0} +
               Bytes{uint8_t(tracks.size()), uint8_t(division >> 8), uint8_t(division)};
  for (const Bytes& t : tracks)
    file = file + t;
  return file;
}

Bytes tempo(uint32_t us) {
  return {0xFF, 0x51, 0x03, uint8_t(us >> 16), uint8_t(us >> 8), uint8_t(us)};
}

} // namespace renderrig
