// tambrel-render's command line: the options, the render from MIDI file to audio file, errors.
#ifndef TAMBREL_RENDERCOMMAND_H
#define TAMBREL_RENDERCOMMAND_H

#include "AudioFileWriter.h"

#include <cstdint>
#include <string>

class RenderCommand {
public:
  struct Options {
    std::string input; // a Standard MIDI File; empty for the built-in groove
    std::string output;
    std::string soundset; // also the factory kit's file once --kit is resolved
    std::string kit;      // --kit as given: 0 .. 9 or a factory kit's name
    std::string transfer;
    int transferDrum = 0; // 0 .. 4
    AudioFileWriter::Sample sample = AudioFileWriter::Sample::S24;
    unsigned rate = 44100; // Hz
    bool mono = false;
    double length = -1;  // s; negative: until the kit rests after the last message
    double maxTail = 10; // s
    bool seeded = false;
    unsigned seed = 0; // seconds since the epoch
    int channel = 10;  // 1 .. 16
    bool verbose = false;
    bool quiet = false;
  };

  // Exit statuses.
  static constexpr int kSuccess = 0;
  static constexpr int kFailure = 1;
  static constexpr int kUsage = 2;
  static constexpr int kGoOn = -1;

  // Parses the arguments. kGoOn to render; kSuccess after --help; kUsage after a one-line error;
  // kFailure when --kit is given and the factory kits are not installed.
  static int parse(int argc, char** argv, Options& options);
  // The whole render. kSuccess, or kFailure after a one-line error on standard error naming the
  // file and the fault; a failed render leaves no output file and an existing one as it was.
  static int run(const Options& options);
  static int main(int argc, char** argv);

  // The kit's seed for the options: a clock reading, given or read now. The noise tables of the
  // clock reading 0 are those of 1 (the C library seeds rand the same way for both).
  static unsigned kitSeed(const Options& options, unsigned clock);
};

#endif
