// One plugin instance driven as a host drives it: ports, timed events, worker, state.
#ifndef TAMBREL_TESTS_LV2TESTINSTANCE_H
#define TAMBREL_TESTS_LV2TESTINSTANCE_H

#include "Lv2TestHost.h"

#include <lilv/lilv.h>
#include <lv2/atom/forge.h>
#include <lv2/options/options.h>
#include <lv2/worker/worker.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

class Lv2TestInstance {
public:
  // withWorker false: a host without the worker feature.
  Lv2TestInstance(Lv2TestHost& host, const char* uri, double rate, bool withWorker = true);
  ~Lv2TestInstance();
  Lv2TestInstance(const Lv2TestInstance&) = delete;
  Lv2TestInstance& operator=(const Lv2TestInstance&) = delete;

  bool valid() const { return handle_ != nullptr; }
  // A control port's value, by symbol; the host's defaults at first.
  float& control(const char* symbol);
  // Events for the next run, at a frame counted from its start (any value: hosts send odd ones).
  void midi(int64_t frame, std::initializer_list<uint8_t> bytes);
  void setSoundsetFile(int64_t frame, const std::string& path); // patch:Set of the file parameter
  void getSoundsetFile(int64_t frame);                          // patch:Get
  void atom(int64_t frame, uint32_t type, const void* body, uint32_t size);
  // Runs one block with the events given since the last run; the outputs are appended to
  // output(i). Work the plugin scheduled is done after the run and its replies delivered.
  void run(uint32_t frames);
  const std::vector<float>& output(uint32_t i) const { return outputs_.at(i); }
  void clearOutputs();
  // Paths the plugin announced on notify with patch:Set, in order.
  const std::vector<std::string>& announcedPaths() const { return announced_; }

  void activate();
  // The seed of a restored session (a state holding the seed alone).
  void restoreSeed(uint32_t seed);
  LilvState* save(); // lilv_state_new_from_instance, port values included
  // lilv_state_restore, with the port values into control() or (a host that restores its
  // ports another way, or later) leaving the ports as they are.
  void restore(const LilvState* state, bool withPorts = true);
  const LV2_Descriptor* descriptor() const { return descriptor_; }

private:
  void resetEvents();
  // The requests the plugin scheduled during the run, then their replies, as a host's worker
  // thread and its audio thread would handle them between two runs.
  void doWork();
  void readNotify();

  Lv2TestHost& host_;
  const char* uri_;
  const LV2_Descriptor* descriptor_;
  LV2_Handle handle_ = nullptr;
  LilvInstance lilvInstance_;
  const LV2_Worker_Interface* worker_ = nullptr;
  unsigned char requests_[16384];
  size_t requestBytes_ = 0;
  std::vector<std::vector<unsigned char>> replies_;
  LV2_Worker_Schedule schedule_;
  int32_t blockLength_ = 4096;
  LV2_Options_Option options_[2];
  LV2_Feature mapFeature_, unmapFeature_, scheduleFeature_, optionsFeature_;
  std::vector<const LV2_Feature*> features_;

  std::vector<float> controls_;        // by port index
  std::vector<uint32_t> audioOutputs_; // port indices
  std::vector<std::vector<float>> outputs_;
  std::vector<uint64_t> control_, notify_; // atom buffers, 8-byte aligned
  LV2_Atom_Forge forge_;
  LV2_Atom_Forge_Frame sequence_;
  std::vector<std::string> announced_;
  LV2_URID soundsetFile_, patchSet_, patchGet_, patchProperty_, patchValue_, midiEvent_;
  LV2_URID atomPath_, atomChunk_;
};

#endif
