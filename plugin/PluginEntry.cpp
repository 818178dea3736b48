// The bundle's entry point: two plugin descriptors over KitPlugin, its state and worker.
#include "KitPlugin.h"
#include "NoteNames.h"

#include <cstring>

namespace plugin {

namespace {

KitPlugin* self(LV2_Handle handle) {
  return static_cast<KitPlugin*>(handle);
}

template <Variant V>
LV2_Handle instantiate(const LV2_Descriptor*, double rate, const char*,
                       const LV2_Feature* const* features) {
  return KitPlugin::create(V, rate, features);
}

void connectPort(LV2_Handle h, uint32_t port, void* data) {
  self(h)->connect(port, data);
}

void activate(LV2_Handle h) {
  self(h)->activate();
}

void run(LV2_Handle h, uint32_t frames) {
  self(h)->run(frames);
}

void deactivate(LV2_Handle) {}

void cleanup(LV2_Handle h) {
  delete self(h);
}

LV2_Worker_Status work(LV2_Handle h, LV2_Worker_Respond_Function respond,
                       LV2_Worker_Respond_Handle handle, uint32_t size, const void* data) {
  return self(h)->work(respond, handle, size, data);
}

LV2_Worker_Status workResponse(LV2_Handle h, uint32_t size, const void* data) {
  return self(h)->workResponse(size, data);
}

LV2_State_Status save(LV2_Handle h, LV2_State_Store_Function store, LV2_State_Handle handle,
                      uint32_t, const LV2_Feature* const*) {
  return self(h)->save(store, handle);
}

LV2_State_Status restore(LV2_Handle h, LV2_State_Retrieve_Function retrieve,
                         LV2_State_Handle handle, uint32_t, const LV2_Feature* const*) {
  return self(h)->restore(retrieve, handle);
}

const void* extensionData(const char* uri) {
  static const LV2_Worker_Interface worker = {work, workResponse, nullptr};
  static const LV2_State_Interface state = {save, restore};
  if (!std::strcmp(uri, LV2_WORKER__interface)) return &worker;
  if (!std::strcmp(uri, LV2_STATE__interface)) return &state;
  if (!std::strcmp(uri, kMidnamInterfaceUri)) return NoteNames::interface();
  return nullptr;
}

const LV2_Descriptor kDescriptors[] = {
    {kKitUri, instantiate<Variant::Stereo>, connectPort, activate, run, deactivate, cleanup,
     extensionData},
    {kKit5OutUri, instantiate<Variant::PerDrum>, connectPort, activate, run, deactivate, cleanup,
     extensionData},
};

} // namespace

} // namespace plugin

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
  return index < 2 ? &plugin::kDescriptors[index] : nullptr;
}
