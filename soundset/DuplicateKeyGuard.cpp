// Follows the parse through nested objects and arrays to name the place of a repeated key.
#include "DuplicateKeyGuard.h"

namespace stk {

bool DuplicateKeyGuard::operator()(int, nlohmann::detail::parse_event_t event, Json& parsed) {
  using Event = nlohmann::detail::parse_event_t;
  if (event == Event::object_start || event == Event::array_start) {
    Frame frame;
    frame.place = frames.empty() ? "" : childPlace();
    frame.isArray = event == Event::array_start;
    frames.push_back(frame);
  } else if (event == Event::key) {
    Frame& frame = frames.back();
    frame.lastKey = parsed.get<std::string>();
    if (!frame.keys.insert(frame.lastKey).second)
      throw Duplicate{frame.place + "/" + frame.lastKey};
  } else if (event == Event::object_end || event == Event::array_end) {
    frames.pop_back();
    if (!frames.empty() && frames.back().isArray) ++frames.back().index;
  } else if (event == Event::value && !frames.empty() && frames.back().isArray) {
    ++frames.back().index;
  }
  return true; // keep every value
}

std::string DuplicateKeyGuard::childPlace() const {
  const Frame& parent = frames.back();
  return parent.place + "/" + (parent.isArray ? std::to_string(parent.index) : parent.lastKey);
}

} // namespace stk
