// Selector rules over listed port names: full name, client name and port number, part of a name.
#include "PortSelector.h"

#include "NameText.h"

#include "utilities.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace {

// Splits "TEXT C:P" into TEXT and P; false when the name does not end in such an address.
bool splitAddress(const std::string& name, std::string& rest, int& port) {
  const size_t blank = name.rfind(' ');
  if (blank == std::string::npos) return false;
  const std::string address = name.substr(blank + 1);
  const size_t colon = address.find(':');
  if (colon == std::string::npos || !NameText::allDigits(address.substr(0, colon)) ||
      !NameText::allDigits(address.substr(colon + 1)) || address.size() - colon > 6)
    return false;
  rest = name.substr(0, blank);
  port = std::stoi(address.substr(colon + 1));
  return true;
}

// A name without the client number some back ends and bridges append: " [24]", and with
// `bare` also " 24".
std::string withoutClientNumber(const std::string& name, bool bare) {
  const size_t blank = name.rfind(' ');
  if (blank == std::string::npos || blank == 0) return name;
  std::string number = name.substr(blank + 1);
  if (number.size() > 2 && number.front() == '[' && number.back() == ']')
    number = number.substr(1, number.size() - 2);
  else if (!bare)
    return name;
  return NameText::allDigits(number) ? name.substr(0, blank) : name;
}

// The (client, port number) pairs a listed name may stand for. ALSA: "client:port C:P" and the
// older "client C:P" give the client and P. JACK (no address): "client:port" gives the port's
// name when it is a number, else its place among the client's listed ports. Each client name
// also stands without a trailing client number.
std::vector<std::pair<std::string, int>> clientPorts(const std::vector<std::string>& listed,
                                                     size_t index) {
  std::vector<std::pair<std::string, int>> pairs;
  const std::string& name = listed[index];
  std::string rest;
  int port = 0;
  const bool addressed = splitAddress(name, rest, port);
  if (addressed) {
    pairs.emplace_back(rest, port);
    const size_t colon = rest.find(':');
    if (colon != std::string::npos) pairs.emplace_back(rest.substr(0, colon), port);
  }
  const size_t colon = name.find(':');
  if (!addressed && colon != std::string::npos && colon > 0) {
    const std::string client = name.substr(0, colon);
    const std::string portName = name.substr(colon + 1);
    int number = 0;
    if (NameText::allDigits(portName) && portName.size() < 6) {
      number = std::stoi(portName);
    } else {
      for (size_t i = 0; i < index; i++)
        if (listed[i].compare(0, colon + 1, client + ":") == 0) number++;
    }
    pairs.emplace_back(client, number);
  }
  const size_t count = pairs.size();
  for (size_t i = 0; i < count; i++) {
    const std::string bare = withoutClientNumber(pairs[i].first, true);
    if (bare != pairs[i].first) pairs.emplace_back(bare, pairs[i].second);
  }
  return pairs;
}

} // namespace

PortSelector::PortSelector(std::string selector) : selector_(std::move(selector)) {
  const size_t colon = selector_.rfind(':');
  if (colon != std::string::npos && colon > 0 && NameText::allDigits(selector_.substr(colon + 1)) &&
      selector_.size() - colon < 6) {
    client_ = selector_.substr(0, colon);
    port_ = std::stoi(selector_.substr(colon + 1));
  }
}

std::string PortSelector::withoutAddress(const std::string& listed) {
  std::string name = listed;
  std::string rest;
  int port = 0;
  if (splitAddress(name, rest, port)) name = rest;
  return withoutClientNumber(name, false);
}

bool PortSelector::namesClientPort(const std::vector<std::string>& listed, size_t index) const {
  for (const auto& pair : clientPorts(listed, index))
    if (pair.first == client_ && pair.second == port_) return true;
  return false;
}

std::vector<size_t> PortSelector::matches(const std::vector<std::string>& listed) const {
  std::vector<size_t> found;
  if (selector_.empty()) return found;
  for (size_t i = 0; i < listed.size(); i++)
    if (stk::midiPortNameMatches(listed[i], selector_)) found.push_back(i);
  if (found.empty() && !client_.empty()) {
    for (size_t i = 0; i < listed.size(); i++)
      if (namesClientPort(listed, i)) found.push_back(i);
  }
  if (found.empty()) {
    const std::string part = NameText::lowerCase(selector_);
    for (size_t i = 0; i < listed.size(); i++)
      if (NameText::lowerCase(withoutAddress(listed[i])).find(part) != std::string::npos)
        found.push_back(i);
  }
  return found;
}
