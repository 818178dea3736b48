// Audio files through libsndfile, never half-written: the container from the file name, a
// temporary file beside the target renamed over it when complete, "-" for WAV on stdout.
#ifndef TAMBREL_AUDIOFILEWRITER_H
#define TAMBREL_AUDIOFILEWRITER_H

#include <sndfile.h>

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

class AudioFileWriter {
public:
  enum class Sample { S16, S24, F32 };

  // The file's name and what is wrong, in one line.
  class Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
  };

  // .wav, .aif/.aiff: every sample format. .flac: s16 and s24 (FLAC holds no floats). .ogg,
  // .oga: Vorbis, which codes floats whatever the sample format. "-": WAV.
  static int formatFor(const std::string& path, Sample sample);

  // Opens the temporary file (or the memory image of standard output's file); checks first that
  // an existing target is a regular file that may be written.
  AudioFileWriter(const std::string& path, Sample sample, int rate, int channels);
  // Without commit() the temporary file is removed and the target stays as it was.
  ~AudioFileWriter();
  AudioFileWriter(const AudioFileWriter&) = delete;
  AudioFileWriter& operator=(const AudioFileWriter&) = delete;

  // One mono frame becomes `channels` identical samples. Floats are written as they are; the
  // integer formats clip them to -1 .. 1.
  void write(const float* mono, size_t frames);
  // Finishes the file and puts it in place (or copies it to standard output).
  void commit();

  // The name in messages: the path, or "standard output".
  const std::string& name() const { return name_; }

private:
  [[noreturn]] void fail(const std::string& what) const;
  void openTemporary(const SF_INFO& info);
  void openMemory(SF_INFO& info);
  void copyToStandardOutput() const;

  std::string path_;
  std::string name_;
  std::string temporary_; // empty for standard output, and once renamed
  int channels_;
  SNDFILE* file_ = nullptr;
  std::vector<float> interleaved_;

public:
  // Standard output's file as it is built, seekable for the header. Used by the I/O callbacks.
  struct Memory {
    std::vector<unsigned char> bytes;
    sf_count_t at = 0;
  };

private:
  Memory memory_;
};

#endif
