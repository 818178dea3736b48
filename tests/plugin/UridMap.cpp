// URIDs numbered from 1 in the order they are first asked for.
#include "UridMap.h"

UridMap::UridMap() {
  map_.handle = this;
  map_.map = [](LV2_URID_Map_Handle h, const char* uri) {
    return static_cast<UridMap*>(h)->map(uri);
  };
  unmap_.handle = this;
  unmap_.unmap = [](LV2_URID_Unmap_Handle h, LV2_URID urid) {
    return static_cast<UridMap*>(h)->unmap(urid);
  };
}

LV2_URID UridMap::map(const char* uri) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (size_t i = 0; i < uris_.size(); i++)
    if (uris_[i] == uri) return static_cast<LV2_URID>(i + 1);
  uris_.emplace_back(uri);
  return static_cast<LV2_URID>(uris_.size());
}

const char* UridMap::unmap(LV2_URID urid) {
  std::lock_guard<std::mutex> lock(mutex_);
  return urid >= 1 && urid <= uris_.size() ? uris_[urid - 1].c_str() : nullptr;
}
