// A parser callback for nlohmann-json that refuses a key given twice in one object, which the
// parser would otherwise take silently (the last one winning).
#ifndef TAMBREL_DUPLICATEKEYGUARD_H
#define TAMBREL_DUPLICATEKEYGUARD_H

#include <nlohmann/json.hpp>

#include <set>
#include <string>
#include <vector>

namespace stk {

class DuplicateKeyGuard {
public:
  using Json = nlohmann::ordered_json;
  // Thrown out of the parse; place as "/drums/2/NFrq".
  struct Duplicate {
    std::string place;
  };

  bool operator()(int depth, nlohmann::detail::parse_event_t event, Json& parsed);

private:
  struct Frame {
    std::string place;
    bool isArray = false;
    size_t index = 0; // of the next element of an array
    std::set<std::string> keys;
    std::string lastKey;
  };
  std::string childPlace() const;

  std::vector<Frame> frames; // the objects and arrays open at this point of the text
};

} // namespace stk

#endif
