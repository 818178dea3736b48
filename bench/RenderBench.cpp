// The whole renderer on the built-in groove: MIDI parsing, the kit, and the encoded file, as
// audio seconds per CPU second (the real-time factor).
#include "AudioFileWriter.h"
#include "DemoGroove.h"
#include "KitRenderer.h"
#include "MidiFileReader.h"
#include "ZorvDrumKit.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// One render of the groove into `path` as the program makes it; returns the frames written.
uint64_t renderDemo(const std::string& path, AudioFileWriter::Sample sample) {
  const std::vector<uint8_t> file = DemoGroove::midiFile();
  const MidiSong song = MidiFileReader::parse(file.data(), file.size());
  stk::Stk::setSampleRate(44100);
  stk::ZorvDrumKit kit(1234567890);
  KitRenderer::Length length;
  length.maxTail = 441000;
  KitRenderer renderer(kit, song, 9, 44100, length);
  AudioFileWriter writer(path, sample, 44100, 2);
  std::vector<float> block(4096);
  while (size_t n = renderer.render(block.data(), block.size()))
    writer.write(block.data(), n);
  writer.commit();
  return renderer.framesDone();
}

void demoToFile(benchmark::State& state, AudioFileWriter::Sample sample, const char* name) {
  const std::string path = "/tmp/tambrel-render-bench-" + std::to_string(getpid()) + name;
  uint64_t frames = 0;
  for (auto _ : state)
    frames += renderDemo(path, sample);
  std::remove(path.c_str());
  state.counters["audio_s_per_cpu_s"] =
      benchmark::Counter(static_cast<double>(frames) / 44100.0, benchmark::Counter::kIsRate);
}

void demoWavS24(benchmark::State& state) {
  demoToFile(state, AudioFileWriter::Sample::S24, ".wav");
}
BENCHMARK(demoWavS24)->Unit(benchmark::kMillisecond);

void demoWavF32(benchmark::State& state) {
  demoToFile(state, AudioFileWriter::Sample::F32, ".wav");
}
BENCHMARK(demoWavF32)->Unit(benchmark::kMillisecond);

void demoFlacS24(benchmark::State& state) {
  demoToFile(state, AudioFileWriter::Sample::S24, ".flac");
}
BENCHMARK(demoFlacS24)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
