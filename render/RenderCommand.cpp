// tambrel-render: options with CLI11, then input, kit, render loop and output, one error line.
#include "RenderCommand.h"

#include "DemoGroove.h"
#include "FactoryKits.h"
#include "KitRenderer.h"
#include "MidiFileReader.h"
#include "ProgressBar.h"
#include "SoundsetFile.h"
#include "SoundsetFormat.h"
#include "ZorvDrumKit.h"

#include <CLI/CLI.hpp>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>

namespace {

const char kProgram[] = "tambrel-render";
const double kMaxSeconds = 1e6; // --length and --max-tail: frame counts stay far inside 64 bits

volatile std::sig_atomic_t interrupted = 0;

void onSignal(int) {
  interrupted = 1;
}

// A fault of one named file: the line is "NAME: WHAT".
struct FileFault {
  std::string line;
};

[[noreturn]] void fileFault(const std::string& name, const std::string& what) {
  throw FileFault{name + ": " + what};
}

std::vector<uint8_t> readMidiFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) fileFault(path, std::string("cannot open: ") + std::strerror(errno));
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    fileFault(path, "not a regular file");
  }
  std::vector<uint8_t> bytes(static_cast<size_t>(info.st_size));
  size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int number = errno;
      ::close(fd);
      fileFault(path, std::string("cannot read: ") + std::strerror(number));
    }
    if (n == 0) break; // the file shrank while being read
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  bytes.resize(got);
  return bytes;
}

std::vector<unsigned char> readSoundFile(const std::string& path, size_t limit) {
  std::vector<unsigned char> bytes;
  std::string error;
  if (!stk::SoundsetFile::read(path, limit, bytes, &error)) fileFault(path, error);
  return bytes;
}

// The soundset, then the transfer file's drum, with the live program's loading rules.
void loadSounds(const RenderCommand::Options& options, stk::ZorvDrumKit& kit) {
  using stk::SoundsetFormat;
  if (!options.soundset.empty()) {
    const auto bytes = readSoundFile(options.soundset, SoundsetFormat::kSoundsetBytes);
    stk::Soundset soundset;
    const stk::ControlAssignment slots[SoundsetFormat::kSlots] = {};
    SoundsetFormat::capture(kit, slots, soundset);
    SoundsetFormat::load(bytes.data(), bytes.size(), soundset);
    SoundsetFormat::apply(soundset, kit);
  }
  if (!options.transfer.empty()) {
    const auto bytes = readSoundFile(options.transfer, SoundsetFormat::kTransferBytes);
    stk::DrumSound sound;
    SoundsetFormat::capture(kit, options.transferDrum, sound);
    SoundsetFormat::load(bytes.data(), bytes.size(), sound);
    SoundsetFormat::apply(sound, options.transferDrum, kit);
  }
}

MidiSong readSong(const RenderCommand::Options& options) {
  const std::string name = options.input.empty() ? "built-in groove" : options.input;
  const std::vector<uint8_t> bytes =
      options.input.empty() ? DemoGroove::midiFile() : readMidiFile(options.input);
  try {
    return MidiFileReader::parse(bytes.data(), bytes.size());
  } catch (const MidiFileReader::Error& e) {
    fileFault(name, e.what());
  }
}

uint64_t framesOf(double seconds, unsigned rate) {
  return static_cast<uint64_t>(std::llround(seconds * rate));
}

int render(const RenderCommand::Options& options) {
  AudioFileWriter::formatFor(options.output, options.sample); // before any other work
  const MidiSong song = readSong(options);

  const unsigned clock = static_cast<unsigned>(std::time(nullptr));
  const unsigned seed = RenderCommand::kitSeed(options, clock);
  if (options.verbose)
    std::fprintf(stderr, "%s: seed %u\n", kProgram, options.seeded ? options.seed : clock);
  stk::Stk::setSampleRate(options.rate);
  stk::ZorvDrumKit kit(seed, options.rate);
  loadSounds(options, kit);

  KitRenderer::Length length;
  length.fixed = options.length >= 0;
  length.frames = length.fixed ? framesOf(options.length, options.rate) : 0;
  length.maxTail = framesOf(options.maxTail, options.rate);
  KitRenderer renderer(kit, song, options.channel - 1, options.rate, length);

  AudioFileWriter writer(options.output, options.sample, static_cast<int>(options.rate),
                         options.mono ? 1 : 2);
  ProgressBar progress(!options.quiet && ::isatty(STDERR_FILENO), stderr, options.rate);
  const auto started = std::chrono::steady_clock::now();
  std::vector<float> block(4096);
  while (size_t n = renderer.render(block.data(), block.size())) {
    if (interrupted) fileFault(writer.name(), "interrupted; nothing written");
    writer.write(block.data(), n);
    progress.update(renderer.framesDone(), renderer.framesExpected());
  }
  writer.commit();
  progress.finish();
  if (options.verbose) {
    const double seconds = static_cast<double>(renderer.framesDone()) / options.rate;
    const double took =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::fprintf(stderr, "%s: %s: %llu frames (%.3f s) at %u Hz, %.0fx real time\n", kProgram,
                 writer.name().c_str(), static_cast<unsigned long long>(renderer.framesDone()),
                 seconds, options.rate, took > 0 ? seconds / took : 0.0);
  }
  return RenderCommand::kSuccess;
}

// --kit into the factory kit's soundset file.
int resolveKit(RenderCommand::Options& options) {
  const std::string folder = stk::FactoryKits::folder();
  std::vector<std::string> names;
  std::string error;
  if (folder.empty()) {
    std::fprintf(stderr, "%s: the factory kits are not installed beside the program\n", kProgram);
    return RenderCommand::kFailure;
  }
  if (!stk::FactoryKits::readNames(folder, names, error)) {
    std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
    return RenderCommand::kFailure;
  }
  const int kit = stk::FactoryKits::find(names, options.kit);
  if (kit < 0) {
    std::string known;
    for (const std::string& name : names)
      known += (known.empty() ? "" : ", ") + name;
    std::fprintf(stderr, "%s: --kit %s: no such kit; 0 .. 9 or one of %s (see --help)\n", kProgram,
                 options.kit.c_str(), known.c_str());
    return RenderCommand::kUsage;
  }
  options.soundset = stk::SoundsetFile::inDirectory(folder, stk::SoundsetFile::soundsetName(kit));
  return RenderCommand::kGoOn;
}

} // namespace

unsigned RenderCommand::kitSeed(const Options& options, unsigned clock) {
  const unsigned reading = options.seeded ? options.seed : clock;
  return reading == 0 ? 1 : reading; // the kit reads 0 as "use the clock"
}

// A duration option: 0 .. kMaxSeconds, not NaN.
const CLI::Validator durationCheck(
    [](std::string& text) -> std::string {
      double value = 0;
      if (!CLI::detail::lexical_cast(text, value) || !(value >= 0 && value <= kMaxSeconds))
        return "not a number of seconds from 0 to 1000000: " + text;
      return "";
    },
    "SECONDS");

int RenderCommand::parse(int argc, char** argv, Options& options) {
  CLI::App app("Renders a Standard MIDI File, or the built-in groove, with tambrel's drums into "
               "an audio file.",
               kProgram);
  app.get_formatter()->column_width(28);
  std::string format = "s24";
  app.add_option("MIDI-FILE", options.input,
                 "Standard MIDI File, format 0, 1 or 2; without it, the built-in groove");
  app.add_option("-o,--output", options.output,
                 "audio file: .wav, .flac, .ogg/.oga (Vorbis) or .aif/.aiff; - for WAV on "
                 "standard output")
      ->required();
  app.add_option("--format", format,
                 "sample format: s16, s24 or f32 (unclipped); FLAC: s16 or "
                 "s24; Vorbis ignores it")
      ->check(CLI::IsMember({"s16", "s24", "f32"}))
      ->capture_default_str();
  app.add_option("--rate", options.rate, "sample rate in Hz; the drums run at it")
      ->check(CLI::Range(1000u, 768000u))
      ->capture_default_str();
  app.add_flag("--mono", options.mono, "one channel instead of two identical ones");
  app.add_option("--channel", options.channel, "MIDI channel of the drums, 1 .. 16")
      ->check(CLI::Range(1, 16))
      ->capture_default_str();
  auto* length = app.add_option("--length", options.length,
                                "exactly this many seconds, cutting or padding the song")
                     ->check(durationCheck);
  app.add_option("--max-tail", options.maxTail,
                 "without --length: the render ends when every drum has died away after the "
                 "last message, at most this many seconds after it")
      ->check(durationCheck)
      ->capture_default_str()
      ->excludes(length);
  app.add_option("--seed", options.seed,
                 "noise tables of a kit started while the clock read this many seconds since "
                 "1970 (default: the clock now); equal seeds give equal files");
  auto* soundset =
      app.add_option("--soundset", options.soundset, "soundset file (968 bytes) with the sounds");
  app.add_option("--kit", options.kit, "factory kit: its number 0 .. 9 or its name")
      ->excludes(soundset);
  auto* transfer =
      app.add_option("--transfer", options.transfer,
                     "transfer file (168 bytes): one drum's sound, after the soundset");
  app.add_option("--transfer-drum", options.transferDrum,
                 "the drum, 0 .. 4, that the transfer file sets")
      ->check(CLI::Range(0, 4))
      ->capture_default_str()
      ->needs(transfer);
  app.add_flag("-v,--verbose", options.verbose, "print the seed and the render's figures");
  app.add_flag("-q,--quiet", options.quiet, "no progress bar");
  app.footer("Each message at t seconds reaches the drums just before frame round(t * rate). "
             "Notes 36, 38, 39, 42 and 46 play drums 0 to 4 at velocity / 128; velocity 0 "
             "releases. Exit status: 0 done, 1 a file could not be read or written (no output "
             "is left behind), 2 bad options.");
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::fprintf(stderr, "%s: %s (see --help)\n", kProgram, e.what());
    return kUsage;
  }
  options.seeded = app.count("--seed") > 0;
  options.sample = format == "s16"   ? AudioFileWriter::Sample::S16
                   : format == "f32" ? AudioFileWriter::Sample::F32
                                     : AudioFileWriter::Sample::S24;
  if (!options.kit.empty()) return resolveKit(options);
  return kGoOn;
}

int RenderCommand::run(const Options& options) {
  try {
    return render(options);
  } catch (const FileFault& e) {
    std::fprintf(stderr, "%s: %s\n", kProgram, e.line.c_str());
  } catch (const AudioFileWriter::Error& e) {
    std::fprintf(stderr, "%s: %s\n", kProgram, e.what());
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "%s: out of memory\n", kProgram);
  }
  return kFailure;
}

int RenderCommand::main(int argc, char** argv) {
  Options options;
  const int status = parse(argc, argv, options);
  if (status != kGoOn) return status;
  struct sigaction action = {};
  action.sa_handler = onSignal;
  for (int signal : {SIGINT, SIGTERM, SIGHUP})
    sigaction(signal, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN); // a closed pipe is reported as a write error
  return run(options);
}
