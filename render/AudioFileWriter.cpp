// libsndfile output: the container choice, the temporary file, the memory image for stdout.
#include "AudioFileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using Memory = AudioFileWriter::Memory;

std::string lowerExtension(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string extension = path.substr(dot);
  for (char& c : extension)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension;
}

int pcmSubtype(AudioFileWriter::Sample sample) {
  switch (sample) {
  case AudioFileWriter::Sample::S16:
    return SF_FORMAT_PCM_16;
  case AudioFileWriter::Sample::S24:
    return SF_FORMAT_PCM_24;
  default:
    return SF_FORMAT_FLOAT;
  }
}

sf_count_t memoryLength(void* user) {
  return static_cast<sf_count_t>(static_cast<Memory*>(user)->bytes.size());
}

sf_count_t memorySeek(sf_count_t offset, int whence, void* user) {
  Memory& m = *static_cast<Memory*>(user);
  const sf_count_t base = whence == SEEK_CUR ? m.at : whence == SEEK_END ? memoryLength(user) : 0;
  if (base + offset < 0) return -1;
  m.at = base + offset;
  return m.at;
}

sf_count_t memoryRead(void* out, sf_count_t count, void* user) {
  Memory& m = *static_cast<Memory*>(user);
  const sf_count_t available = std::max<sf_count_t>(0, memoryLength(user) - m.at);
  const sf_count_t n = std::min(count, available);
  if (n > 0) std::memcpy(out, m.bytes.data() + m.at, static_cast<size_t>(n));
  m.at += n;
  return n;
}

sf_count_t memoryWrite(const void* in, sf_count_t count, void* user) {
  Memory& m = *static_cast<Memory*>(user);
  const size_t end = static_cast<size_t>(m.at + count);
  if (end > m.bytes.size()) m.bytes.resize(end);
  std::memcpy(m.bytes.data() + m.at, in, static_cast<size_t>(count));
  m.at += count;
  return count;
}

sf_count_t memoryTell(void* user) {
  return static_cast<Memory*>(user)->at;
}

} // namespace

int AudioFileWriter::formatFor(const std::string& path, Sample sample) {
  if (path == "-") return SF_FORMAT_WAV | pcmSubtype(sample);
  const std::string extension = lowerExtension(path);
  if (extension == ".wav") return SF_FORMAT_WAV | pcmSubtype(sample);
  if (extension == ".aif" || extension == ".aiff") return SF_FORMAT_AIFF | pcmSubtype(sample);
  if (extension == ".ogg" || extension == ".oga") return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
  if (extension == ".flac") {
    if (sample == Sample::F32)
      throw Error(path + ": FLAC holds 16 or 24-bit samples, not f32 (use --format s16 or s24)");
    return SF_FORMAT_FLAC | pcmSubtype(sample);
  }
  throw Error(path + ": unknown file type \"" + extension +
              "\" (the name must end in .wav, .flac, .ogg, .oga, .aif or .aiff)");
}

AudioFileWriter::AudioFileWriter(const std::string& path, Sample sample, int rate, int channels)
    : path_(path), name_(path == "-" ? "standard output" : path), channels_(channels) {
  SF_INFO info = {};
  info.samplerate = rate;
  info.channels = channels;
  info.format = formatFor(path, sample);
  if (!sf_format_check(&info)) fail("libsndfile cannot write this format at this rate");
  if (path == "-")
    openMemory(info);
  else
    openTemporary(info);
  // A PEAK chunk carries the time of writing: without it, equal renders are equal files.
  sf_command(file_, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
  if ((info.format & SF_FORMAT_SUBMASK) != SF_FORMAT_FLOAT)
    sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
}

AudioFileWriter::~AudioFileWriter() {
  if (file_) sf_close(file_);
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

void AudioFileWriter::fail(const std::string& what) const {
  throw Error(name_ + ": " + what);
}

void AudioFileWriter::openTemporary(const SF_INFO& info) {
  struct stat target;
  mode_t mode = 0;
  if (::stat(path_.c_str(), &target) == 0) {
    if (S_ISDIR(target.st_mode)) fail("is a directory");
    if (!S_ISREG(target.st_mode)) fail("not a regular file");
    if (::access(path_.c_str(), W_OK) != 0) fail(std::string("cannot write: ") + strerror(errno));
    mode = target.st_mode & 07777; // a replaced file keeps its permissions
    char real[PATH_MAX];
    if (::realpath(path_.c_str(), real)) path_ = real; // a link keeps pointing at the file
  } else {
    mode = ::umask(0);
    ::umask(mode);
    mode = 0666 & ~mode;
  }
  std::string pattern = path_ + ".tmp-XXXXXX";
  const int fd = ::mkstemp(&pattern[0]);
  if (fd < 0) fail(std::string("cannot create a file beside it: ") + strerror(errno));
  temporary_ = pattern;
  ::fchmod(fd, mode);
  SF_INFO opened = info;
  file_ = sf_open_fd(fd, SFM_WRITE, &opened, SF_TRUE);
  if (!file_) fail(std::string("cannot write: ") + sf_strerror(nullptr)); // fd closed with it
}

void AudioFileWriter::openMemory(SF_INFO& info) {
  static SF_VIRTUAL_IO io = {memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};
  file_ = sf_open_virtual(&io, SFM_WRITE, &info, &memory_);
  if (!file_) fail(std::string("cannot write: ") + sf_strerror(nullptr));
}

void AudioFileWriter::write(const float* mono, size_t frames) {
  const float* samples = mono;
  if (channels_ > 1) {
    interleaved_.resize(frames * channels_);
    for (size_t i = 0; i < frames; ++i)
      for (int c = 0; c < channels_; ++c)
        interleaved_[i * channels_ + c] = mono[i];
    samples = interleaved_.data();
  }
  const sf_count_t count = static_cast<sf_count_t>(frames);
  if (sf_writef_float(file_, samples, count) != count)
    fail(std::string("cannot write: ") + sf_strerror(file_));
}

void AudioFileWriter::commit() {
  const int status = sf_close(file_);
  file_ = nullptr;
  if (status != 0) fail(std::string("cannot finish the file: ") + sf_error_number(status));
  if (temporary_.empty()) {
    copyToStandardOutput();
    return;
  }
  if (std::rename(temporary_.c_str(), path_.c_str()) != 0)
    fail(std::string("cannot rename the finished file into place: ") + strerror(errno));
  temporary_.clear();
}

void AudioFileWriter::copyToStandardOutput() const {
  const unsigned char* at = memory_.bytes.data();
  size_t left = memory_.bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(STDOUT_FILENO, at, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) fail(std::string("cannot write: ") + strerror(n < 0 ? errno : EIO));
    at += n;
    left -= static_cast<size_t>(n);
  }
}
