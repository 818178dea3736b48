// The plugins' identity: URIs, port indices and state keys, shared by the plugin and its bundle.
#ifndef TAMBREL_PLUGINLAYOUT_H
#define TAMBREL_PLUGINLAYOUT_H

#include "ParameterTable.h"
#include "SoundsetFormat.h"

#include <cstdint>

namespace plugin {

constexpr const char* kKitUri = "urn:tambrel:lv2:kit";
constexpr const char* kKit5OutUri = "urn:tambrel:lv2:kit-5out";
constexpr const char* kStateSoundsetUri = "urn:tambrel:state#soundset";  // atom:Chunk, 968 bytes
constexpr const char* kStateSeedUri = "urn:tambrel:state#seed";          // atom:Long
constexpr const char* kSoundsetFileUri = "urn:tambrel:lv2#soundsetFile"; // patch parameter
constexpr const char* kBinaryName = "tambrel.so";

constexpr int kDrums = stk::SoundsetFormat::kDrums;
constexpr int kParamsPerDrum = stk::ParameterTable::kCount;
constexpr int kParamPorts = kDrums * kParamsPerDrum; // 105

// Port indices: the same for both plugins up to the audio outputs, which come last.
enum Port : uint32_t {
  kControlPort = 0, // atom:Sequence in: MIDI and patch messages
  kNotifyPort = 1,  // atom:Sequence out: patch replies
  kChannelPort = 2, // 0 = any, 1 .. 16
  kFirstParamPort = 3,
  kFirstOutputPort = kFirstParamPort + kParamPorts,
};

// The parameter port of a drum's parameter (drum 0 .. 4, param 0 .. 20).
constexpr uint32_t paramPort(int drum, int param) {
  return kFirstParamPort + static_cast<uint32_t>(drum * kParamsPerDrum + param);
}

// The two plugins of the bundle: the kit mixed into out_l and out_r, or one output per drum.
enum class Variant { Stereo, PerDrum };

constexpr uint32_t outputCount(Variant variant) {
  return variant == Variant::Stereo ? 2 : kDrums;
}

constexpr const char* pluginUri(Variant variant) {
  return variant == Variant::Stereo ? kKitUri : kKit5OutUri;
}

} // namespace plugin

#endif
