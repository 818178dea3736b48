// ns per call of each per-sample operation, per voice sample and per kit sample, with the
// real-time factor (seconds of audio rendered per second of CPU at 44100 Hz).
#include "Fizzmap.h"
#include "Glimber.h"
#include "Plinvex.h"
#include "ZorvDrum.h"
#include "ZorvDrumKit.h"
#include "ZorvDrumLanes.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace {

const int kitNotes[] = {36, 38, 39, 42, 46};

void reportRealTime(benchmark::State& state) {
  state.counters["audio_s_per_cpu_s"] =
      benchmark::Counter(state.iterations() / 44100.0, benchmark::Counter::kIsRate);
}

void glimberTick(benchmark::State& state) {
  Glimber env(44100.0f);
  env.attackRate = 1e-6f; // stays in its attack stage
  env.keyOn();
  for (auto _ : state)
    benchmark::DoNotOptimize(env.tick());
}
BENCHMARK(glimberTick);

void plinvexFilter(benchmark::State& state) {
  Plinvex filter(44100.0f);
  filter.filterConfig(1800.0f, 0.6f);
  std::vector<float> input(4096); // noise, as the voice feeds it (no denormal ringing-out)
  uint32_t seed = 1;
  for (float& x : input) {
    seed = seed * 1664525u + 1013904223u;
    x = static_cast<float>(seed >> 8) / 16777216.0f - 0.5f;
  }
  size_t n = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(filter.filter(input[n++ & 4095]));
}
BENCHMARK(plinvexFilter);

void fizzmapTick(benchmark::State& state) {
  stk::Stk::setSampleRate(44100.0);
  auto noise = std::make_unique<stk::Fizzmap>(1, 1);
  noise->setFrequency(30000);
  for (auto _ : state)
    benchmark::DoNotOptimize(noise->tick());
}
BENCHMARK(fizzmapTick);

void voiceSounding(benchmark::State& state) {
  stk::Stk::setSampleRate(44100.0);
  auto voice = std::make_unique<stk::ZorvDrum>();
  voice->noteOn(36, 0.8);
  long n = 0;
  for (auto _ : state) {
    if (++n % 20000 == 0) voice->noteOn(36, 0.8);
    benchmark::DoNotOptimize(voice->tick());
  }
  reportRealTime(state);
}
BENCHMARK(voiceSounding);

void voiceSilent(benchmark::State& state) {
  stk::Stk::setSampleRate(44100.0);
  auto voice = std::make_unique<stk::ZorvDrum>();
  for (auto _ : state)
    benchmark::DoNotOptimize(voice->tick());
  reportRealTime(state);
}
BENCHMARK(voiceSilent);

// Kit with the first `range(0)` drums struck again every 20000 samples (0: all silent).
void kitSample(benchmark::State& state) {
  stk::Stk::setSampleRate(44100.0);
  auto kit = std::make_unique<stk::ZorvDrumKit>();
  int sounding = static_cast<int>(state.range(0));
  long n = 0;
  for (auto _ : state) {
    if (n++ % 20000 == 0)
      for (int d = 0; d < sounding; d++)
        kit->noteOn(kitNotes[d], 0.8);
    benchmark::DoNotOptimize(kit->tick());
  }
  reportRealTime(state);
}
BENCHMARK(kitSample)->ArgName("sounding")->Arg(0)->Arg(1)->Arg(5);

// The kit's block render, `range(2)` frames a call (one audio callback: 64 as the live program's
// shortest period, 256 as a render's), with the first `range(0)` drums struck again every 20000
// samples, with the lanes on SSE2 (path 0) or AVX2 (1, where the processor has it), or the kit's
// own choice (2); one iteration is one kit sample.
void kitBlock(benchmark::State& state) {
  stk::Stk::setSampleRate(44100.0);
  if (state.range(1) == 1 && !stk::ZorvDrumLanes::avx2Supported()) {
    state.SkipWithError("no AVX2 on this processor");
    return;
  }
  const stk::ZorvDrumLanes::Path paths[] = {stk::ZorvDrumLanes::Path::SSE2,
                                            stk::ZorvDrumLanes::Path::AVX2,
                                            stk::ZorvDrumLanes::Path::AUTOMATIC};
  stk::ZorvDrumLanes::choosePath(paths[state.range(1)]);
  auto kit = std::make_unique<stk::ZorvDrumKit>();
  int sounding = static_cast<int>(state.range(0));
  const unsigned int frames = static_cast<unsigned int>(state.range(2));
  float block[256];
  long n = 0;
  unsigned int next = frames;
  for (auto _ : state) {
    if (next == frames) {
      if (n % 20000 < frames)
        for (int d = 0; d < sounding; d++)
          kit->noteOn(kitNotes[d], 0.8);
      kit->renderBlock(block, frames);
      benchmark::DoNotOptimize(block);
      next = 0;
      n += frames;
    }
    next++;
  }
  stk::ZorvDrumLanes::choosePath(stk::ZorvDrumLanes::Path::AUTOMATIC);
  reportRealTime(state);
}
BENCHMARK(kitBlock)
    ->ArgNames({"sounding", "path", "frames"})
    ->ArgsProduct({{0, 1, 5}, {0, 1, 2}, {64, 256}});

// Five separate voices ticked one after another and summed, struck again every 20000 samples:
// the scalar reference for the kit's lanes.
void fiveVoices(benchmark::State& state) {
  stk::Stk::setSampleRate(44100.0);
  std::unique_ptr<stk::ZorvDrum> voices[5];
  for (auto& voice : voices)
    voice = std::make_unique<stk::ZorvDrum>();
  long n = 0;
  for (auto _ : state) {
    if (n++ % 20000 == 0)
      for (auto& voice : voices)
        voice->noteOn(36, 0.8);
    float sum = 0.0f;
    for (auto& voice : voices)
      sum = sum + voice->nextSample();
    benchmark::DoNotOptimize(sum);
  }
  reportRealTime(state);
}
BENCHMARK(fiveVoices);

} // namespace

BENCHMARK_MAIN();
