// The kit plugin's audio side: ports, the run loop, MIDI and patch events, the notify port.
#include "KitPlugin.h"

#include "FloatModeGuard.h"
#include "NoteRouting.h"
#include "ZorvDrum.h"
#include "ZorvDrumKit.h"

#include <lv2/atom/util.h>

#include <algorithm>
#include <cstring>
#include <ctime>

namespace plugin {

namespace {

// The frame before which an event at `time` is applied: late times at the last frame, times
// that go back at the previous event's frame.
uint32_t eventFrame(int64_t time, uint32_t previous, uint32_t frames) {
  const int64_t last = frames ? frames - 1 : 0;
  return static_cast<uint32_t>(std::min(std::max(time, static_cast<int64_t>(previous)), last));
}

// A new instance's seed: the clock's seconds, as the live program takes them (never 0).
uint32_t clockSeed() {
  const uint32_t seconds = static_cast<uint32_t>(std::time(nullptr));
  return seconds ? seconds : 1;
}

} // namespace

KitPlugin* KitPlugin::create(Variant variant, double rate, const LV2_Feature* const* features) {
  LV2_URID_Map* map = nullptr;
  LV2_Worker_Schedule* schedule = nullptr;
  LV2_Log_Log* log = nullptr;
  for (int i = 0; features && features[i]; i++) {
    if (!std::strcmp(features[i]->URI, LV2_URID__map))
      map = static_cast<LV2_URID_Map*>(features[i]->data);
    else if (!std::strcmp(features[i]->URI, LV2_WORKER__schedule))
      schedule = static_cast<LV2_Worker_Schedule*>(features[i]->data);
    else if (!std::strcmp(features[i]->URI, LV2_LOG__log))
      log = static_cast<LV2_Log_Log*>(features[i]->data);
  }
  if (!map || !(rate > 0)) return nullptr;
  KitPlugin* instance = new KitPlugin(variant, rate, map);
  instance->schedule_ = schedule;
  instance->log_ = log;
  if (log) instance->logError_ = map->map(map->handle, LV2_LOG__Error);
  return instance;
}

KitPlugin::KitPlugin(Variant variant, double rate, LV2_URID_Map* map)
    : variant_(variant), rate_(rate), seed_(clockSeed()), kit_(new stk::ZorvDrumKit(seed_, rate)),
      uris_(map), map_(map) {
  lv2_atom_forge_init(&forge_, map);
  for (stk::ControlAssignment& slot : slots_)
    slot = stk::ControlAssignment{0, 0}; // as the live program starts without a soundset
}

KitPlugin::~KitPlugin() = default;

void KitPlugin::connect(uint32_t port, void* data) {
  if (port == kControlPort) {
    control_ = static_cast<const LV2_Atom_Sequence*>(data);
  } else if (port == kNotifyPort) {
    notify_ = static_cast<LV2_Atom_Sequence*>(data);
  } else if (port == kChannelPort) {
    channel_ = static_cast<const float*>(data);
  } else if (port >= kFirstParamPort && port < kFirstOutputPort) {
    params_.connect(static_cast<int>(port - kFirstParamPort), static_cast<const float*>(data));
  } else if (port >= kFirstOutputPort && port < kFirstOutputPort + outputCount(variant_)) {
    outputs_[port - kFirstOutputPort] = static_cast<float*>(data);
  }
}

void KitPlugin::activate() {
  rebuildKit(seed_);
}

void KitPlugin::run(uint32_t frames) {
  FloatModeGuard ieeeMode;
  params_.apply(*kit_);
  if (notify_) {
    lv2_atom_forge_set_buffer(&forge_, reinterpret_cast<uint8_t*>(notify_), notify_->atom.size);
    lv2_atom_forge_sequence_head(&forge_, &notifyFrame_, 0);
  }

  uint32_t done = 0;
  if (control_) {
    LV2_ATOM_SEQUENCE_FOREACH(control_, event) {
      const uint32_t at = eventFrame(event->time.frames, done, frames);
      render(done, at);
      done = at;
      apply(*event);
    }
  }
  render(done, frames);

  if (notify_) {
    if (pathChanged_ || pathAsked_) notifyPath();
    lv2_atom_forge_pop(&forge_, &notifyFrame_);
  }
}

void KitPlugin::render(uint32_t from, uint32_t to) {
  if (to <= from) return;
  const uint32_t frames = to - from;
  constexpr uint32_t kScratch = sizeof scratch_ / sizeof *scratch_;
  if (variant_ == Variant::PerDrum) {
    for (int d = 0; d < kDrums; d++) {
      stk::ZorvDrum& voice = *kit_->drums[d];
      if (float* out = outputs_[d]) {
        for (uint32_t i = from; i < to; i++)
          out[i] = voice.nextSample();
      } else {
        for (uint32_t i = 0; i < frames; i++)
          scratch_[i % kScratch] = voice.nextSample();
      }
    }
    return;
  }
  float* left = outputs_[0] ? outputs_[0] : outputs_[1];
  if (!left) {
    for (uint32_t at = from; at < to; at += kScratch)
      kit_->renderBlock(scratch_, std::min(to - at, kScratch));
    return;
  }
  kit_->renderBlock(left + from, frames);
  float* right = outputs_[1];
  if (right && right != left) std::memcpy(right + from, left + from, frames * sizeof(float));
}

void KitPlugin::apply(const LV2_Atom_Event& event) {
  if (event.body.type == uris_.midiEvent)
    applyMidi(static_cast<const uint8_t*>(LV2_ATOM_BODY_CONST(&event.body)), event.body.size);
  else if (lv2_atom_forge_is_object_type(&forge_, event.body.type))
    applyPatch(reinterpret_cast<const LV2_Atom_Object&>(event.body));
}

void KitPlugin::applyMidi(const uint8_t* bytes, uint32_t size) {
  if (size < 3) return; // note-on and note-off have two data bytes
  const int status = bytes[0];
  if (status < 0x80 || status >= 0xF0 || ((bytes[1] | bytes[2]) & 0x80)) return;
  int chosen = 0; // 0 = any channel, else 1 .. 16
  if (channel_ && *channel_ >= 0.5f) chosen = *channel_ >= 16.0f ? 16 : int(*channel_ + 0.5f);
  const int noteChannel = chosen ? chosen - 1 : status & 0x0F;
  applyNoteMessage(*kit_, noteChannel, status, bytes[1], bytes[2]);
}

void KitPlugin::applyPatch(const LV2_Atom_Object& object) {
  if (object.body.otype == uris_.patchGet) {
    pathAsked_ = true;
    return;
  }
  if (object.body.otype != uris_.patchSet) return;
  const LV2_Atom* property = nullptr;
  const LV2_Atom* value = nullptr;
  lv2_atom_object_get(&object, uris_.patchProperty, &property, uris_.patchValue, &value, 0);
  if (!property || property->type != uris_.atomUrid ||
      reinterpret_cast<const LV2_Atom_URID*>(property)->body != uris_.soundsetFile)
    return;
  if (!value || value->type != uris_.atomPath || value->size < 2 || value->size > kMaxPath) return;
  const char* path = static_cast<const char*>(LV2_ATOM_BODY_CONST(value));
  if (path[value->size - 1] != '\0') return;
  // Without a worker the file cannot be read off the audio thread: the request is refused.
  if (schedule_) schedule_->schedule_work(schedule_->handle, value->size, path);
}

void KitPlugin::notifyPath() {
  pathChanged_ = pathAsked_ = false;
  LV2_Atom_Forge_Frame frame;
  lv2_atom_forge_frame_time(&forge_, 0);
  lv2_atom_forge_object(&forge_, &frame, 0, uris_.patchSet);
  lv2_atom_forge_key(&forge_, uris_.patchProperty);
  lv2_atom_forge_urid(&forge_, uris_.soundsetFile);
  lv2_atom_forge_key(&forge_, uris_.patchValue);
  lv2_atom_forge_path(&forge_, path_, static_cast<uint32_t>(std::strlen(path_)));
  lv2_atom_forge_pop(&forge_, &frame);
}

} // namespace plugin
