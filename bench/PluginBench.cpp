// The plugin's run() at 64-frame blocks with a note in every block, against the kit's block
// render without events, in one process (automatic lanes path; one iteration is one block).
#include "Lv2TestHost.h"
#include "PluginLayout.h"
#include "ZorvDrumKit.h"

#include <benchmark/benchmark.h>
#include <lv2/atom/forge.h>
#include <lv2/midi/midi.h>

#include <memory>
#include <vector>

namespace {

constexpr uint32_t kBlock = 64;
const uint8_t kNotes[] = {36, 38, 39, 42, 46};

void reportRealTime(benchmark::State& state) {
  state.counters["audio_s_per_cpu_s"] =
      benchmark::Counter(state.iterations() * kBlock / 44100.0, benchmark::Counter::kIsRate);
}

// range(0): 1 = a note-on in every block, at frames spread over the block, to each drum in turn;
// 0 = no events (the drums struck every 20000 frames, as kitBlock does).
void pluginRun(benchmark::State& state) {
  static Lv2TestHost host; // loaded once, outside the timing
  const LV2_Descriptor* descriptor = host.descriptor(plugin::kKitUri);
  LV2_Feature map{LV2_URID__map, host.urids().mapFeature()};
  const LV2_Feature* features[] = {&map, nullptr};
  LV2_Handle instance = descriptor->instantiate(descriptor, 44100, "", features);
  std::vector<float> controls(plugin::kFirstOutputPort);
  for (int i = 0; i < plugin::kParamPorts; i++)
    controls[plugin::kFirstParamPort + i] =
        float(stk::ParameterTable::at(i % plugin::kParamsPerDrum).defaultValue);
  float left[kBlock], right[kBlock];
  std::vector<uint64_t> events(512);
  for (uint32_t port = plugin::kChannelPort; port < plugin::kFirstOutputPort; port++)
    descriptor->connect_port(instance, port, &controls[port]);
  descriptor->connect_port(instance, plugin::kControlPort, events.data());
  descriptor->connect_port(instance, plugin::kFirstOutputPort, left);
  descriptor->connect_port(instance, plugin::kFirstOutputPort + 1, right);
  descriptor->activate(instance);
  LV2_Atom_Forge forge;
  lv2_atom_forge_init(&forge, host.urids().mapFeature());
  const LV2_URID midiEvent = host.urids().map(LV2_MIDI__MidiEvent);
  const bool withEvents = state.range(0) == 1;
  long n = 0;
  for (auto _ : state) {
    LV2_Atom_Forge_Frame sequence;
    lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(events.data()), 4096);
    lv2_atom_forge_sequence_head(&forge, &sequence, 0);
    if (withEvents || n % 20000 < kBlock) {
      for (int d = 0; d < (withEvents ? 1 : 5); d++) {
        const uint8_t note[] = {0x99, kNotes[withEvents ? n / kBlock % 5 : d], 100};
        lv2_atom_forge_frame_time(&forge, withEvents ? (n / kBlock * 37) % kBlock : 0);
        lv2_atom_forge_atom(&forge, 3, midiEvent);
        lv2_atom_forge_write(&forge, note, 3);
      }
    }
    descriptor->run(instance, kBlock);
    benchmark::DoNotOptimize(left);
    n += kBlock;
  }
  descriptor->cleanup(instance);
  reportRealTime(state);
}
BENCHMARK(pluginRun)->ArgName("events")->Arg(0)->Arg(1);

// The kit alone, rendered 64 frames a call: range(0) = 0, five drums struck every 20000 frames;
// 1, the notes of pluginRun/events:1, each applied at its block's start (the same sound work
// without sample-accurate placing).
void kitBlock64(benchmark::State& state) {
  auto kit = std::make_unique<stk::ZorvDrumKit>(1, 44100.0);
  const bool withNotes = state.range(0) == 1;
  float block[kBlock];
  long n = 0;
  for (auto _ : state) {
    if (withNotes)
      kit->noteOn(kNotes[n / kBlock % 5], 100 / 128.0);
    else if (n % 20000 < kBlock)
      for (uint8_t note : kNotes)
        kit->noteOn(note, 100 / 128.0);
    kit->renderBlock(block, kBlock);
    benchmark::DoNotOptimize(block);
    n += kBlock;
  }
  reportRealTime(state);
}
BENCHMARK(kitBlock64)->ArgName("notes")->Arg(0)->Arg(1);

} // namespace

BENCHMARK_MAIN();
