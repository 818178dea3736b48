// The test host's world: one bundle loaded from its folder, its binary opened with dlopen.
#include "Lv2TestHost.h"

#include <dlfcn.h>

#include <cstring>
#include <stdexcept>

Lv2TestHost::Lv2TestHost(const std::string& bundle) : world_(lilv_world_new()) {
  LilvNode* uri = lilv_new_file_uri(world_, nullptr, (bundle + "/").c_str());
  lilv_world_load_specifications(world_);
  lilv_world_load_bundle(world_, uri);
  lilv_node_free(uri);
  const LilvPlugins* plugins = lilv_world_get_all_plugins(world_);
  LILV_FOREACH(plugins, i, plugins) {
    const LilvNode* binary = lilv_plugin_get_library_uri(lilv_plugins_get(plugins, i));
    char* path = lilv_file_uri_parse(lilv_node_as_uri(binary), nullptr);
    library_ = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    lilv_free(path);
    break;
  }
  if (!library_) throw std::runtime_error("no plugin binary in " + bundle);
  entry_ = reinterpret_cast<LV2_Descriptor_Function>(dlsym(library_, "lv2_descriptor"));
}

Lv2TestHost::~Lv2TestHost() {
  if (library_) dlclose(library_);
  lilv_world_free(world_);
}

const LilvPlugin* Lv2TestHost::plugin(const char* uri) const {
  LilvNode* node = lilv_new_uri(world_, uri);
  const LilvPlugin* found = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world_), node);
  lilv_node_free(node);
  return found;
}

const LV2_Descriptor* Lv2TestHost::descriptor(const char* uri) const {
  for (uint32_t i = 0; entry_; i++) {
    const LV2_Descriptor* d = entry_(i);
    if (!d) break;
    if (!std::strcmp(d->URI, uri)) return d;
  }
  return nullptr;
}

int Lv2TestHost::portIndex(const char* pluginUri, const char* symbol) const {
  LilvNode* name = lilv_new_string(world_, symbol);
  const LilvPort* port = lilv_plugin_get_port_by_symbol(plugin(pluginUri), name);
  lilv_node_free(name);
  return port ? static_cast<int>(lilv_port_get_index(plugin(pluginUri), port)) : -1;
}

LilvState* Lv2TestHost::loadPreset(const char* presetUri) {
  LilvNode* preset = lilv_new_uri(world_, presetUri);
  lilv_world_load_resource(world_, preset);
  LilvState* state = lilv_state_new_from_world(world_, urids_.mapFeature(), preset);
  lilv_node_free(preset);
  return state;
}
