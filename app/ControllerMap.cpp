// Map files: JSON read with the duplicate-key guard; every fault names its place in the file.
#include "ControllerMap.h"

#include "DuplicateKeyGuard.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace {

using Json = stk::DuplicateKeyGuard::Json;

struct Fault {
  std::string place, what;
};

const char* const kEncodings[] = {"absolute", "offset64", "twos-complement", "sign-magnitude"};

std::string pointer(const std::string& parent, const std::string& key) {
  return parent + "/" + key;
}

int wholeNumber(const Json& value, const std::string& place, int low, int high) {
  if (!value.is_number_integer() || value.get<int64_t>() < low || value.get<int64_t>() > high)
    throw Fault{place, value.dump() + " is not a whole number " + std::to_string(low) + " .. " +
                           std::to_string(high)};
  return value.get<int>();
}

std::string text(const Json& value, const std::string& place) {
  if (!value.is_string()) throw Fault{place, "expected a string, not " + value.dump()};
  return value.get<std::string>();
}

ControlBinding bindingFrom(const Json& item, const std::string& place, int control) {
  if (!item.is_object()) throw Fault{place, "expected an object, not " + item.dump()};
  ControlBinding binding;
  binding.control = control;
  const bool knob = ControlTable::at(control).kind != ControlKind::Button;
  for (const auto& field : item.items()) {
    const std::string& key = field.key();
    const std::string at = pointer(place, key);
    if (key != "cc" && key != "note" && key != "channel" && key != (knob ? "encoding" : "button"))
      throw Fault{at, "unknown key for " + std::string(knob ? "a knob" : "a button")};
  }
  const bool cc = item.contains("cc"), note = item.contains("note");
  if (cc == note) throw Fault{place, "give either \"cc\" or \"note\""};
  if (note && knob) throw Fault{pointer(place, "note"), "a knob sends control changes"};
  binding.message = cc ? MessageKind::ControlChange : MessageKind::Note;
  binding.number =
      wholeNumber(item[cc ? "cc" : "note"], pointer(place, cc ? "cc" : "note"), 0, 127);
  if (item.contains("channel")) {
    const Json& channel = item["channel"];
    if (channel.is_string() && channel != "any")
      throw Fault{pointer(place, "channel"), channel.dump() + " is not 1 .. 16 or \"any\""};
    if (channel != "any")
      binding.channel = wholeNumber(channel, pointer(place, "channel"), 1, 16) - 1;
  }
  if (item.contains("encoding")) {
    const std::string name = text(item["encoding"], pointer(place, "encoding"));
    const auto* found = std::find(std::begin(kEncodings), std::end(kEncodings), name);
    if (found == std::end(kEncodings))
      throw Fault{pointer(place, "encoding"),
                  "\"" + name + "\" is not absolute, offset64, twos-complement or sign-magnitude"};
    binding.encoding = static_cast<Encoding>(found - std::begin(kEncodings));
  }
  if (item.contains("button")) {
    const std::string mode = text(item["button"], pointer(place, "button"));
    if (mode != "momentary" && mode != "toggle")
      throw Fault{pointer(place, "button"), "\"" + mode + "\" is not momentary or toggle"};
    binding.toggle = mode == "toggle";
  }
  return binding;
}

} // namespace

ControllerMap::ControllerMap() {
  std::fill(&lookup_[0][0][0], &lookup_[0][0][0] + sizeof lookup_ / sizeof lookup_[0][0][0],
            static_cast<int16_t>(kNone));
}

bool ControllerMap::add(ControlBinding binding, std::string& error) {
  binding.controller = ControlTable::at(binding.control).controller;
  binding.kind = ControlTable::at(binding.control).kind;
  const int kind = static_cast<int>(binding.message);
  if (binding.message == MessageKind::Note && binding.kind != ControlKind::Button) {
    error = "a knob sends control changes";
    return false;
  }
  for (int channel = 0; channel < 16; ++channel) {
    if (binding.channel >= 0 && channel != binding.channel) continue;
    const int taken = lookup_[kind][channel][binding.number];
    if (taken != kNone) {
      error = "the same message as \"" +
              std::string(ControlTable::at(bindings_[taken].control).name) + "\"";
      return false;
    }
  }
  for (int channel = 0; channel < 16; ++channel)
    if (binding.channel < 0 || channel == binding.channel)
      lookup_[kind][channel][binding.number] = static_cast<int16_t>(bindings_.size());
  bindings_.push_back(binding);
  return true;
}

bool ControllerMap::parse(const std::string& source, ControllerMap& map, std::string& error) {
  map = ControllerMap();
  try {
    const Json root = Json::parse(source, stk::DuplicateKeyGuard());
    if (!root.is_object()) throw Fault{"/", "expected an object, not " + root.dump()};
    for (const auto& field : root.items())
      if (field.key() != "name" && field.key() != "comment" && field.key() != "pass_unmapped" &&
          field.key() != "controls")
        throw Fault{"/" + field.key(), "unknown key"};
    if (root.contains("name")) map.name = text(root["name"], "/name");
    if (root.contains("comment")) map.comment = text(root["comment"], "/comment");
    if (root.contains("pass_unmapped")) {
      if (!root["pass_unmapped"].is_boolean())
        throw Fault{"/pass_unmapped",
                    "expected true or false, not " + root["pass_unmapped"].dump()};
      map.passUnmapped = root["pass_unmapped"].get<bool>();
    }
    if (!root.contains("controls")) throw Fault{"/controls", "missing"};
    const Json& controls = root["controls"];
    if (!controls.is_object()) throw Fault{"/controls", "expected an object"};
    for (const auto& entry : controls.items()) {
      const std::string place = "/controls/" + entry.key();
      const int control = ControlTable::find(entry.key());
      if (control < 0) throw Fault{place, "no control of that name (see the README)"};
      std::string clash;
      if (!map.add(bindingFrom(entry.value(), place, control), clash)) throw Fault{place, clash};
    }
    return true;
  } catch (const stk::DuplicateKeyGuard::Duplicate& duplicate) {
    error = duplicate.place + ": given twice";
  } catch (const Fault& fault) {
    error = fault.place + ": " + fault.what;
  } catch (const nlohmann::json::exception& exception) {
    // "[json.exception.parse_error.101] parse error at line 2, column 5: ..." without the tag.
    const std::string what = exception.what();
    const size_t tagEnd = what.find("] ");
    error = tagEnd == std::string::npos ? what : what.substr(tagEnd + 2);
  }
  map = ControllerMap();
  return false;
}

bool ControllerMap::load(const std::string& path, ControllerMap& map, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  if (!file || !(content << file.rdbuf())) {
    error = path + ": cannot be read";
    return false;
  }
  if (parse(content.str(), map, error)) return true;
  error = path + ": " + error;
  return false;
}

std::string ControllerMap::toJson() const {
  Json root = Json::object();
  if (!name.empty()) root["name"] = name;
  if (!comment.empty()) root["comment"] = comment;
  root["pass_unmapped"] = passUnmapped;
  Json controls = Json::object();
  for (const ControlBinding& binding : bindings_) {
    Json item = Json::object();
    item[binding.message == MessageKind::Note ? "note" : "cc"] = binding.number;
    if (binding.channel < 0)
      item["channel"] = "any";
    else
      item["channel"] = binding.channel + 1;
    if (ControlTable::at(binding.control).kind == ControlKind::Button)
      item["button"] = binding.toggle ? "toggle" : "momentary";
    else
      item["encoding"] = encodingName(binding.encoding);
    controls[ControlTable::at(binding.control).name] = item;
  }
  root["controls"] = controls;
  return root.dump(2) + "\n";
}

const char* encodingName(Encoding encoding) {
  return kEncodings[static_cast<int>(encoding)];
}
