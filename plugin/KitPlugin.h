// One instance of the kit plugin: the drums, their ports, sample-accurate events, state, worker.
#ifndef TAMBREL_KITPLUGIN_H
#define TAMBREL_KITPLUGIN_H

#include "Nonblocking.h"
#include "PluginLayout.h"
#include "PluginUris.h"
#include "PortParameters.h"

#include <lv2/atom/forge.h>
#include <lv2/core/lv2.h>
#include <lv2/log/log.h>
#include <lv2/state/state.h>
#include <lv2/worker/worker.h>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace stk {
class ZorvDrumKit;
}

namespace plugin {

class KitPlugin {
public:
  static constexpr size_t kMaxPath = 1024; // bytes of a soundset file's path, its end included

  // Null when the host lacks urid:map (the only feature required).
  static KitPlugin* create(Variant variant, double rate, const LV2_Feature* const* features);
  ~KitPlugin();
  KitPlugin(const KitPlugin&) = delete;
  KitPlugin& operator=(const KitPlugin&) = delete;

  void connect(uint32_t port, void* data);
  // The drums fall silent at once: a fresh kit with the same seed and sounds.
  void activate();
  void run(uint32_t frames) TAMBREL_NONBLOCKING;

  LV2_Worker_Status work(LV2_Worker_Respond_Function respond, LV2_Worker_Respond_Handle handle,
                         uint32_t size, const void* data);
  LV2_Worker_Status workResponse(uint32_t size, const void* data);

  LV2_State_Status save(LV2_State_Store_Function store, LV2_State_Handle handle);
  LV2_State_Status restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

  uint32_t seed() const { return seed_; }

private:
  KitPlugin(Variant variant, double rate, LV2_URID_Map* map);

  // Sound from frame `from` up to, not including, `to` of this run's outputs.
  void render(uint32_t from, uint32_t to);
  void apply(const LV2_Atom_Event& event);
  void applyMidi(const uint8_t* bytes, uint32_t size);
  void applyPatch(const LV2_Atom_Object& object);
  void notifyPath();
  // A new kit from the seed with the current sounds; outside run().
  void rebuildKit(uint32_t seed);
  void log(const char* format, const char* path, const char* reason);

  const Variant variant_;
  const double rate_; // Hz
  uint32_t seed_;     // 1 .. 4294967295
  std::unique_ptr<stk::ZorvDrumKit> kit_;
  PluginUris uris_;
  LV2_URID_Map* map_;
  LV2_Worker_Schedule* schedule_ = nullptr; // null: soundset files cannot be loaded
  LV2_Log_Log* log_ = nullptr;
  LV2_URID logError_ = 0;

  const LV2_Atom_Sequence* control_ = nullptr;
  LV2_Atom_Sequence* notify_ = nullptr;
  const float* channel_ = nullptr;
  float* outputs_[kDrums] = {};
  PortParameters params_;
  LV2_Atom_Forge forge_;
  LV2_Atom_Forge_Frame notifyFrame_;

  stk::ControlAssignment slots_[stk::SoundsetFormat::kSlots];
  char path_[kMaxPath] = {}; // the soundset file loaded last, "" before
  bool pathChanged_ = false; // to be announced on notify in the next run
  bool pathAsked_ = false;
  float scratch_[256]; // sound of an output the host left unconnected
};

} // namespace plugin

#endif
