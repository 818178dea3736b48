// The test instance: ports from lilv's defaults, a synchronous worker, events through the forge.
#include "Lv2TestInstance.h"

#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/patch/patch.h>
#include <lv2/state/state.h>

#include <cstring>
#include <stdexcept>

namespace {

constexpr size_t kControlBytes = 1 << 20; // room for floods of events
constexpr size_t kNotifyBytes = 1 << 14;

} // namespace

Lv2TestInstance::Lv2TestInstance(Lv2TestHost& host, const char* uri, double rate, bool withWorker)
    : host_(host), uri_(uri), descriptor_(host.descriptor(uri)), control_(kControlBytes / 8),
      notify_(kNotifyBytes / 8) {
  if (!descriptor_) throw std::runtime_error(std::string("no plugin ") + uri);
  UridMap& urids = host.urids();
  const LilvPlugin* plugin = host.plugin(uri);
  const uint32_t ports = lilv_plugin_get_num_ports(plugin);
  controls_.assign(ports, 0.0f);
  std::vector<float> defaults(ports);
  lilv_plugin_get_port_ranges_float(plugin, nullptr, nullptr, defaults.data());
  LilvNode* audio = lilv_new_uri(host.world(), LILV_URI_AUDIO_PORT);
  LilvNode* control = lilv_new_uri(host.world(), LILV_URI_CONTROL_PORT);
  for (uint32_t i = 0; i < ports; i++) {
    const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
    if (lilv_port_is_a(plugin, port, audio)) audioOutputs_.push_back(i);
    if (lilv_port_is_a(plugin, port, control)) controls_[i] = defaults[i];
  }
  lilv_node_free(audio);
  lilv_node_free(control);
  outputs_.resize(audioOutputs_.size());

  schedule_.handle = this;
  // Called from run(): the request is kept in a fixed buffer, as a real host's ring keeps it.
  schedule_.schedule_work = [](LV2_Worker_Schedule_Handle h, uint32_t size, const void* data) {
    auto* self = static_cast<Lv2TestInstance*>(h);
    if (self->requestBytes_ + sizeof size + size > sizeof self->requests_)
      return LV2_WORKER_ERR_NO_SPACE;
    std::memcpy(self->requests_ + self->requestBytes_, &size, sizeof size);
    std::memcpy(self->requests_ + self->requestBytes_ + sizeof size, data, size);
    self->requestBytes_ += sizeof size + size;
    return LV2_WORKER_SUCCESS;
  };
  options_[0] = {LV2_OPTIONS_INSTANCE,
                 0,
                 urids.map(LV2_BUF_SIZE__maxBlockLength),
                 sizeof(int32_t),
                 urids.map(LV2_ATOM__Int),
                 &blockLength_};
  options_[1] = {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr};
  mapFeature_ = {LV2_URID__map, urids.mapFeature()};
  unmapFeature_ = {LV2_URID__unmap, urids.unmapFeature()};
  scheduleFeature_ = {LV2_WORKER__schedule, &schedule_};
  optionsFeature_ = {LV2_OPTIONS__options, options_};
  features_ = {&mapFeature_, &unmapFeature_, &optionsFeature_};
  if (withWorker) features_.push_back(&scheduleFeature_);
  features_.push_back(nullptr);

  soundsetFile_ = urids.map("urn:tambrel:lv2#soundsetFile");
  patchSet_ = urids.map(LV2_PATCH__Set);
  patchGet_ = urids.map(LV2_PATCH__Get);
  patchProperty_ = urids.map(LV2_PATCH__property);
  patchValue_ = urids.map(LV2_PATCH__value);
  midiEvent_ = urids.map(LV2_MIDI__MidiEvent);
  atomPath_ = urids.map(LV2_ATOM__Path);
  atomChunk_ = urids.map(LV2_ATOM__Chunk);
  lv2_atom_forge_init(&forge_, urids.mapFeature());

  handle_ = descriptor_->instantiate(descriptor_, rate, TAMBREL_LV2_BUNDLE "/", features_.data());
  lilvInstance_ = {descriptor_, handle_, nullptr};
  if (descriptor_->extension_data)
    worker_ = static_cast<const LV2_Worker_Interface*>(
        descriptor_->extension_data(LV2_WORKER__interface));
  resetEvents();
  if (handle_) activate();
}

Lv2TestInstance::~Lv2TestInstance() {
  if (!handle_) return;
  if (descriptor_->deactivate) descriptor_->deactivate(handle_);
  descriptor_->cleanup(handle_);
}

float& Lv2TestInstance::control(const char* symbol) {
  const int index = host_.portIndex(uri_, symbol);
  if (index < 0) throw std::runtime_error(std::string("no port ") + symbol);
  return controls_[index];
}

void Lv2TestInstance::resetEvents() {
  lv2_atom_forge_set_buffer(&forge_, reinterpret_cast<uint8_t*>(control_.data()), kControlBytes);
  lv2_atom_forge_sequence_head(&forge_, &sequence_, 0);
}

void Lv2TestInstance::atom(int64_t frame, uint32_t type, const void* body, uint32_t size) {
  lv2_atom_forge_frame_time(&forge_, frame);
  lv2_atom_forge_atom(&forge_, size, type);
  if (size) lv2_atom_forge_write(&forge_, body, size); // an empty body may have no address
}

void Lv2TestInstance::midi(int64_t frame, std::initializer_list<uint8_t> bytes) {
  atom(frame, midiEvent_, bytes.begin(), static_cast<uint32_t>(bytes.size()));
}

void Lv2TestInstance::setSoundsetFile(int64_t frame, const std::string& path) {
  LV2_Atom_Forge_Frame object;
  lv2_atom_forge_frame_time(&forge_, frame);
  lv2_atom_forge_object(&forge_, &object, 0, patchSet_);
  lv2_atom_forge_key(&forge_, patchProperty_);
  lv2_atom_forge_urid(&forge_, soundsetFile_);
  lv2_atom_forge_key(&forge_, patchValue_);
  lv2_atom_forge_path(&forge_, path.c_str(), static_cast<uint32_t>(path.size()));
  lv2_atom_forge_pop(&forge_, &object);
}

void Lv2TestInstance::getSoundsetFile(int64_t frame) {
  LV2_Atom_Forge_Frame object;
  lv2_atom_forge_frame_time(&forge_, frame);
  lv2_atom_forge_object(&forge_, &object, 0, patchGet_);
  lv2_atom_forge_pop(&forge_, &object);
}

void Lv2TestInstance::run(uint32_t frames) {
  std::vector<std::vector<float>> blocks(audioOutputs_.size(), std::vector<float>(frames));
  for (uint32_t i = 0; i < controls_.size(); i++)
    descriptor_->connect_port(handle_, i, &controls_[i]);
  for (size_t o = 0; o < audioOutputs_.size(); o++)
    descriptor_->connect_port(handle_, audioOutputs_[o], blocks[o].data());
  auto* notify = reinterpret_cast<LV2_Atom_Sequence*>(notify_.data());
  notify->atom.type = atomChunk_;
  notify->atom.size = kNotifyBytes - sizeof(LV2_Atom);
  descriptor_->connect_port(handle_, 0, control_.data());
  descriptor_->connect_port(handle_, 1, notify);
  descriptor_->run(handle_, frames);
  for (size_t o = 0; o < audioOutputs_.size(); o++)
    outputs_[o].insert(outputs_[o].end(), blocks[o].begin(), blocks[o].end());
  readNotify();
  resetEvents();
  doWork();
}

void Lv2TestInstance::doWork() {
  auto respond = [](LV2_Worker_Respond_Handle r, uint32_t n, const void* bytes) {
    const auto* b = static_cast<const unsigned char*>(bytes);
    static_cast<Lv2TestInstance*>(r)->replies_.emplace_back(b, b + n);
    return LV2_WORKER_SUCCESS;
  };
  for (size_t at = 0; at < requestBytes_;) {
    uint32_t size;
    std::memcpy(&size, requests_ + at, sizeof size);
    worker_->work(handle_, respond, this, size, requests_ + at + sizeof size);
    at += sizeof size + size;
  }
  requestBytes_ = 0;
  std::vector<std::vector<unsigned char>> replies;
  replies.swap(replies_);
  for (const auto& reply : replies)
    worker_->work_response(handle_, static_cast<uint32_t>(reply.size()), reply.data());
}

void Lv2TestInstance::readNotify() {
  const auto* notify = reinterpret_cast<const LV2_Atom_Sequence*>(notify_.data());
  LV2_ATOM_SEQUENCE_FOREACH(notify, event) {
    const auto* object = reinterpret_cast<const LV2_Atom_Object*>(&event->body);
    const LV2_Atom* value = nullptr;
    if (object->body.otype != patchSet_) continue;
    lv2_atom_object_get(object, patchValue_, &value, 0);
    if (value && value->type == atomPath_)
      announced_.emplace_back(static_cast<const char*>(LV2_ATOM_BODY_CONST(value)));
  }
}

void Lv2TestInstance::clearOutputs() {
  for (auto& output : outputs_)
    output.clear();
}

void Lv2TestInstance::activate() {
  if (descriptor_->activate) descriptor_->activate(handle_);
}

void Lv2TestInstance::restoreSeed(uint32_t seed) {
  struct Saved {
    LV2_URID key, type;
    int64_t value;
  } saved{host_.urids().map("urn:tambrel:state#seed"), host_.urids().map(LV2_ATOM__Long), seed};
  auto retrieve = [](LV2_State_Handle h, uint32_t key, size_t* size, uint32_t* type,
                     uint32_t* flags) -> const void* {
    const auto* s = static_cast<const Saved*>(h);
    if (key != s->key) return nullptr;
    *size = sizeof s->value;
    *type = s->type;
    *flags = LV2_STATE_IS_POD;
    return &s->value;
  };
  const auto* state =
      static_cast<const LV2_State_Interface*>(descriptor_->extension_data(LV2_STATE__interface));
  state->restore(handle_, retrieve, &saved, 0, features_.data());
}

LilvState* Lv2TestInstance::save() {
  auto value = [](const char* symbol, void* user, uint32_t* size, uint32_t* type) -> const void* {
    auto* self = static_cast<Lv2TestInstance*>(user);
    *size = sizeof(float);
    *type = self->host_.urids().map(LV2_ATOM__Float);
    return &self->control(symbol);
  };
  return lilv_state_new_from_instance(
      host_.plugin(uri_), &lilvInstance_, host_.urids().mapFeature(), nullptr, nullptr, nullptr,
      nullptr, value, this, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, features_.data());
}

void Lv2TestInstance::restore(const LilvState* state, bool withPorts) {
  auto setValue = [](const char* symbol, void* user, const void* value, uint32_t size,
                     uint32_t type) {
    // lilv reads a saved float back as a double, as hosts do; jalv takes both.
    auto* self = static_cast<Lv2TestInstance*>(user);
    UridMap& urids = self->host_.urids();
    if (size == sizeof(float) && type == urids.map(LV2_ATOM__Float))
      std::memcpy(&self->control(symbol), value, sizeof(float));
    else if (size == sizeof(double) && type == urids.map(LV2_ATOM__Double))
      self->control(symbol) = static_cast<float>(*static_cast<const double*>(value));
  };
  lilv_state_restore(state, &lilvInstance_, withPorts ? LilvSetPortValueFunc(setValue) : nullptr,
                     this, 0, features_.data());
}
