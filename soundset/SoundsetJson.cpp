// Writing and validating the JSON form of soundset and transfer files.
#include "SoundsetJson.h"

#include "DuplicateKeyGuard.h"
#include "ParameterNames.h"
#include "ValueText.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdint>

namespace stk {

namespace {

using Json = DuplicateKeyGuard::Json; // ordered: parameters and slots keep the file's order

// A fault at a place of the JSON text, e.g. "/drums/2/NFrq".
struct Fault {
  std::string place, what;
};

Json drumToJson(const DrumSound& drum) {
  Json object = Json::object();
  for (int param = 0; param < SoundsetFormat::kParams; ++param) {
    double value = drum.params[param];
    const std::string& name = ParameterNames::parameter(param);
    if (std::isfinite(value))
      object[name] = value;
    else
      object[name] = ValueText::nonFinite(value);
  }
  return object;
}

Json slotToJson(const ControlAssignment& slot) {
  Json object = {{"drum", slot.drum}};
  if (slot.param >= 0 && slot.param < SoundsetFormat::kParams)
    object["param"] = ParameterNames::parameter(slot.param);
  else
    object["param"] = slot.param;
  return object;
}

const Json& member(const Json& object, const std::string& key, const std::string& place) {
  if (!object.contains(key)) throw Fault{place + "/" + key, "missing"};
  return object.at(key);
}

void requireObject(const Json& value, const std::string& place) {
  if (!value.is_object())
    throw Fault{place, std::string("expected an object, not ") + value.type_name()};
}

// Every key of `object` must be accepted by `known`.
template <class Known>
void refuseUnknownKeys(const Json& object, const std::string& place, Known known,
                       const char* what) {
  for (auto& item : object.items())
    if (!known(item.key())) throw Fault{place + "/" + item.key(), std::string("unknown ") + what};
}

int32_t int32At(const Json& value, const std::string& place) {
  if (value.is_number_unsigned()) {
    if (value.get<uint64_t>() <= static_cast<uint64_t>(INT32_MAX)) return value.get<int32_t>();
  } else if (value.is_number_integer()) {
    int64_t number = value.get<int64_t>();
    if (number >= INT32_MIN && number <= INT32_MAX) return static_cast<int32_t>(number);
  }
  throw Fault{place, "expected a whole number of 32 bits, not " + value.dump()};
}

double valueAt(const Json& value, const std::string& place) {
  if (value.is_number_float()) return value.get<double>();
  if (value.is_number_integer()) {
    // Whole numbers up to 2^53 are exact doubles; larger ones might round.
    const double limit = 9007199254740992.0;
    double number = value.get<double>();
    if (number >= -limit && number <= limit) return number;
    throw Fault{place, value.dump() + " is not exactly a double; write it with an exponent"};
  }
  double parsed;
  if (value.is_string() && ValueText::parseNonFinite(value.get<std::string>(), parsed))
    return parsed;
  throw Fault{place, "expected a number or \"inf\", \"-inf\", \"nan\", \"-nan\" or \"nan:0x\" "
                     "with 16 hex digits, not " +
                         value.dump()};
}

void drumFromJson(const Json& object, const std::string& place, DrumSound& drum) {
  requireObject(object, place);
  refuseUnknownKeys(
      object, place,
      [](const std::string& key) { return ParameterNames::parameterIndex(key) >= 0; }, "parameter");
  for (int param = 0; param < SoundsetFormat::kParams; ++param) {
    const std::string& name = ParameterNames::parameter(param);
    drum.params[param] = valueAt(member(object, name, place), place + "/" + name);
  }
}

ControlAssignment slotFromJson(const Json& object, const std::string& place) {
  requireObject(object, place);
  refuseUnknownKeys(
      object, place, [](const std::string& key) { return key == "drum" || key == "param"; }, "key");
  ControlAssignment slot;
  slot.drum = int32At(member(object, "drum", place), place + "/drum");
  const Json& param = member(object, "param", place);
  if (param.is_string()) {
    slot.param = ParameterNames::parameterIndex(param.get<std::string>());
    if (slot.param < 0) throw Fault{place + "/param", "unknown parameter " + param.dump()};
  } else {
    slot.param = int32At(param, place + "/param");
  }
  return slot;
}

void soundsetFromJson(const Json& root, Soundset& soundset) {
  const Json& slots = member(root, "slots", "");
  requireObject(slots, "/slots");
  refuseUnknownKeys(
      slots, "/slots", [](const std::string& key) { return ParameterNames::slotIndex(key) >= 0; },
      "control (encoder 1 .. encoder 8, pot 1 .. pot 8)");
  for (int slot = 0; slot < SoundsetFormat::kSlots; ++slot) {
    std::string name = ParameterNames::slot(slot);
    soundset.slots[slot] = slotFromJson(member(slots, name, "/slots"), "/slots/" + name);
  }
  const Json& drums = member(root, "drums", "");
  if (!drums.is_array())
    throw Fault{"/drums", std::string("expected an array, not ") + drums.type_name()};
  for (size_t drum = 0; drum < SoundsetFormat::kDrums || drum < drums.size(); ++drum) {
    std::string place = "/drums/" + std::to_string(drum);
    if (drum >= drums.size()) throw Fault{place, "missing: a soundset has 5 drums"};
    if (drum >= SoundsetFormat::kDrums) throw Fault{place, "a soundset has only 5 drums"};
    drumFromJson(drums[drum], place, soundset.drums[drum]);
  }
}

} // namespace

std::string SoundsetJson::write(const SoundsetDocument& document) {
  bool transfer = document.kind == SoundsetDocument::Kind::Transfer;
  Json root = {{"format", transfer ? kTransferFormat : kSoundsetFormat}, {"version", kVersion}};
  if (transfer) {
    root["drum"] = drumToJson(document.contents.drums[0]);
  } else {
    Json slots = Json::object();
    for (int slot = 0; slot < SoundsetFormat::kSlots; ++slot)
      slots[ParameterNames::slot(slot)] = slotToJson(document.contents.slots[slot]);
    root["slots"] = slots;
    root["drums"] = Json::array();
    for (const DrumSound& drum : document.contents.drums)
      root["drums"].push_back(drumToJson(drum));
  }
  return root.dump(2) + "\n";
}

bool SoundsetJson::read(const std::string& text, SoundsetDocument& document, std::string& error) {
  try {
    Json root = Json::parse(text, DuplicateKeyGuard());
    requireObject(root, "");
    const Json& format = member(root, "format", "");
    bool transfer = format == kTransferFormat;
    if (!transfer && format != kSoundsetFormat)
      throw Fault{"/format", "expected \"" + std::string(kSoundsetFormat) + "\" or \"" +
                                 kTransferFormat + "\", not " + format.dump()};
    const Json& version = member(root, "version", "");
    if (version != kVersion)
      throw Fault{"/version", version.dump() + " is not a version this tool reads (1)"};
    refuseUnknownKeys(
        root, "",
        [transfer](const std::string& key) {
          return key == "format" || key == "version" ||
                 (transfer ? key == "drum" : key == "slots" || key == "drums");
        },
        "key");
    document.kind = transfer ? SoundsetDocument::Kind::Transfer : SoundsetDocument::Kind::Soundset;
    document.contents = Soundset{};
    if (transfer)
      drumFromJson(member(root, "drum", ""), "/drum", document.contents.drums[0]);
    else
      soundsetFromJson(root, document.contents);
    return true;
  } catch (const DuplicateKeyGuard::Duplicate& duplicate) {
    error = duplicate.place + ": given twice";
  } catch (const Fault& fault) {
    error = (fault.place.empty() ? "/" : fault.place) + ": " + fault.what;
  } catch (const nlohmann::json::exception& exception) {
    // "[json.exception.parse_error.101] parse error at line 2, column 5: ..." without the tag.
    std::string what = exception.what();
    size_t tagEnd = what.find("] ");
    error = tagEnd == std::string::npos ? what : what.substr(tagEnd + 2);
  }
  return false;
}

} // namespace stk
