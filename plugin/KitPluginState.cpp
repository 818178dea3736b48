// The kit plugin's state (soundset and seed), soundset files read by the host's worker, rebuilds.
#include "KitPlugin.h"

#include "SoundsetFile.h"
#include "ZorvDrumKit.h"

#include <cstring>
#include <string>
#include <vector>

namespace plugin {

namespace {

using stk::SoundsetFormat;

// What the worker hands back to the audio thread: a soundset file's bytes and its path.
struct LoadedFile {
  uint32_t size; // bytes held, at most the layout's
  unsigned char bytes[SoundsetFormat::kSoundsetBytes];
  char path[KitPlugin::kMaxPath];
};

constexpr uint32_t kStateFlags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;

} // namespace

LV2_Worker_Status KitPlugin::work(LV2_Worker_Respond_Function respond,
                                  LV2_Worker_Respond_Handle handle, uint32_t size,
                                  const void* data) {
  const char* path = static_cast<const char*>(data);
  if (size < 2 || size > kMaxPath || path[size - 1] != '\0') return LV2_WORKER_ERR_UNKNOWN;
  std::vector<unsigned char> bytes;
  std::string error;
  if (!stk::SoundsetFile::read(path, SoundsetFormat::kSoundsetBytes, bytes, &error)) {
    log("tambrel: %s not loaded: %s\n", path, error.c_str());
    return LV2_WORKER_ERR_UNKNOWN;
  }
  LoadedFile loaded{};
  loaded.size = static_cast<uint32_t>(bytes.size());
  std::memcpy(loaded.bytes, bytes.data(), bytes.size());
  std::memcpy(loaded.path, path, size);
  return respond(handle, sizeof loaded, &loaded);
}

LV2_Worker_Status KitPlugin::workResponse(uint32_t size, const void* data) {
  if (size != sizeof(LoadedFile)) return LV2_WORKER_ERR_UNKNOWN;
  const LoadedFile& loaded = *static_cast<const LoadedFile*>(data);
  // The live program's rules for what a short or odd file holds, over the current sounds.
  stk::Soundset soundset;
  SoundsetFormat::capture(*kit_, slots_, soundset);
  SoundsetFormat::load(loaded.bytes, loaded.size, soundset);
  SoundsetFormat::apply(soundset, *kit_);
  std::memcpy(slots_, soundset.slots, sizeof slots_);
  std::memcpy(path_, loaded.path, sizeof path_);
  path_[kMaxPath - 1] = '\0';
  pathChanged_ = true;
  return LV2_WORKER_SUCCESS;
}

LV2_State_Status KitPlugin::save(LV2_State_Store_Function store, LV2_State_Handle handle) {
  stk::Soundset soundset;
  SoundsetFormat::capture(*kit_, slots_, soundset);
  unsigned char bytes[SoundsetFormat::kSoundsetBytes];
  SoundsetFormat::encode(soundset, bytes);
  LV2_State_Status status =
      store(handle, uris_.stateSoundset, bytes, sizeof bytes, uris_.atomChunk, kStateFlags);
  if (status != LV2_STATE_SUCCESS) return status;
  const int64_t seed = seed_;
  return store(handle, uris_.stateSeed, &seed, sizeof seed, uris_.atomLong, kStateFlags);
}

LV2_State_Status KitPlugin::restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle) {
  size_t size = 0;
  uint32_t type = 0, flags = 0;
  const void* sounds = retrieve(handle, uris_.stateSoundset, &size, &type, &flags);
  if (sounds && type == uris_.atomChunk) {
    stk::Soundset soundset;
    SoundsetFormat::capture(*kit_, slots_, soundset);
    SoundsetFormat::load(static_cast<const unsigned char*>(sounds), size, soundset);
    SoundsetFormat::apply(soundset, *kit_);
    std::memcpy(slots_, soundset.slots, sizeof slots_);
    params_.noteOnly();
  }
  // A state with a seed (a saved session) renders as it did: new noise tables, silent drums.
  // One without (a preset) changes the sounds only.
  const void* seedData = retrieve(handle, uris_.stateSeed, &size, &type, &flags);
  if (seedData && type == uris_.atomLong && size == sizeof(int64_t)) {
    int64_t seed;
    std::memcpy(&seed, seedData, sizeof seed);
    if (seed < 1 || seed > 4294967295LL) return LV2_STATE_ERR_BAD_TYPE;
    rebuildKit(static_cast<uint32_t>(seed));
  }
  return LV2_STATE_SUCCESS;
}

void KitPlugin::rebuildKit(uint32_t seed) {
  stk::Soundset soundset;
  SoundsetFormat::capture(*kit_, slots_, soundset);
  kit_.reset(new stk::ZorvDrumKit(seed, rate_));
  SoundsetFormat::apply(soundset, *kit_);
  seed_ = seed;
}

void KitPlugin::log(const char* format, const char* path, const char* reason) {
  if (!log_) return;
  log_->printf(log_->handle, logError_, format, path, reason);
}

} // namespace plugin
