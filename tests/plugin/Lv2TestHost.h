// A plugin host for tests, on lilv: the build tree's bundle, URIDs, presets and saved states.
#ifndef TAMBREL_TESTS_LV2TESTHOST_H
#define TAMBREL_TESTS_LV2TESTHOST_H

#include "UridMap.h"

#include <lilv/lilv.h>
#include <lv2/core/lv2.h>

#include <string>

class Lv2TestHost {
public:
  // The bundle of the build tree (TAMBREL_LV2_BUNDLE) unless another folder is given.
  explicit Lv2TestHost(const std::string& bundle = TAMBREL_LV2_BUNDLE);
  ~Lv2TestHost();
  Lv2TestHost(const Lv2TestHost&) = delete;
  Lv2TestHost& operator=(const Lv2TestHost&) = delete;

  LilvWorld* world() { return world_; }
  UridMap& urids() { return urids_; }
  const LilvPlugin* plugin(const char* uri) const;
  // The plugin's entry, from the binary loaded once by the host (instances may be made on any
  // thread from it).
  const LV2_Descriptor* descriptor(const char* uri) const;
  // Port index of a symbol, or -1.
  int portIndex(const char* pluginUri, const char* symbol) const;

  // A preset of the bundle by its URI, as lilv reads it; null when there is none.
  LilvState* loadPreset(const char* presetUri);

private:
  LilvWorld* world_;
  UridMap urids_;
  void* library_ = nullptr;
  LV2_Descriptor_Function entry_ = nullptr;
};

#endif
