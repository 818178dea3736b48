// The URIDs the plugin speaks, mapped once when an instance is made.
#ifndef TAMBREL_PLUGINURIS_H
#define TAMBREL_PLUGINURIS_H

#include "PluginLayout.h"

#include <lv2/atom/atom.h>
#include <lv2/midi/midi.h>
#include <lv2/patch/patch.h>
#include <lv2/urid/urid.h>

namespace plugin {

struct PluginUris {
  LV2_URID atomChunk, atomLong, atomPath, atomUrid;
  LV2_URID midiEvent;
  LV2_URID patchGet, patchSet, patchProperty, patchValue;
  LV2_URID soundsetFile, stateSoundset, stateSeed;

  explicit PluginUris(LV2_URID_Map* map)
      : atomChunk(map->map(map->handle, LV2_ATOM__Chunk)),
        atomLong(map->map(map->handle, LV2_ATOM__Long)),
        atomPath(map->map(map->handle, LV2_ATOM__Path)),
        atomUrid(map->map(map->handle, LV2_ATOM__URID)),
        midiEvent(map->map(map->handle, LV2_MIDI__MidiEvent)),
        patchGet(map->map(map->handle, LV2_PATCH__Get)),
        patchSet(map->map(map->handle, LV2_PATCH__Set)),
        patchProperty(map->map(map->handle, LV2_PATCH__property)),
        patchValue(map->map(map->handle, LV2_PATCH__value)),
        soundsetFile(map->map(map->handle, kSoundsetFileUri)),
        stateSoundset(map->map(map->handle, kStateSoundsetUri)),
        stateSeed(map->map(map->handle, kStateSeedUri)) {}
};

} // namespace plugin

#endif
