// A host's URI <-> URID table, safe to use from several threads, with its LV2 features.
#ifndef TAMBREL_TESTS_URIDMAP_H
#define TAMBREL_TESTS_URIDMAP_H

#include <lv2/urid/urid.h>

#include <deque>
#include <mutex>
#include <string>

class UridMap {
public:
  UridMap();
  UridMap(const UridMap&) = delete;
  UridMap& operator=(const UridMap&) = delete;

  LV2_URID map(const char* uri);
  const char* unmap(LV2_URID urid);

  LV2_URID_Map* mapFeature() { return &map_; }
  LV2_URID_Unmap* unmapFeature() { return &unmap_; }

private:
  std::mutex mutex_;
  std::deque<std::string> uris_; // URID n is uris_[n - 1]; a deque keeps the strings in place
  LV2_URID_Map map_;
  LV2_URID_Unmap unmap_;
};

#endif
