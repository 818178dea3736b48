// Picks MIDI ports out of the names the MIDI library lists (ALSA "client:port C:P", JACK
// "client:port"), by a selector a user types.
#ifndef TAMBREL_PORTSELECTOR_H
#define TAMBREL_PORTSELECTOR_H

#include <string>
#include <vector>

class PortSelector {
public:
  explicit PortSelector(std::string selector);

  // Indices into `listed` of the ports the selector names, by the first of these rules that
  // names any: (1) the full listed name, or the name "NAME C:P" of a port listed as
  // "NAME:<port> C:P"; (2) "CLIENT:N": port number N of a client named CLIENT, whatever its
  // client number; (3) a case-insensitive part of the listed name without its address.
  // One index is a choice; none or several are not.
  std::vector<size_t> matches(const std::vector<std::string>& listed) const;

  // A listed name without a trailing " C:P" address and a trailing " [C]" client number.
  static std::string withoutAddress(const std::string& listed);

private:
  bool namesClientPort(const std::vector<std::string>& listed, size_t index) const;

  std::string selector_;
  std::string client_; // of a "CLIENT:N" selector; empty for other selectors
  int port_ = -1;
};

#endif
