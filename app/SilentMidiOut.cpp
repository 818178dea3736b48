// The back end of SilentMidiOut: every operation does nothing.
#include "SilentMidiOut.h"

namespace {

class SilentMidiOutApi : public MidiOutApi {
public:
  RtMidi::Api getCurrentApi() override { return RtMidi::UNIX_JACK; }
  void openPort(unsigned int, const std::string&) override {}
  void openVirtualPort(const std::string&) override {}
  void closePort() override {}
  void setClientName(const std::string&) override {}
  void setPortName(const std::string&) override {}
  unsigned int getPortCount() override { return 0; }
  std::string getPortName(unsigned int) override { return std::string(); }
  void sendMessage(const unsigned char*, size_t) override {}

protected:
  void initialize(const std::string&) override {}
};

} // namespace

SilentMidiOut::SilentMidiOut() : RtMidiOut(RtMidi::UNIX_JACK, "tambrel") {
  delete rtapi_; // RtMidi's destructor deletes whatever rtapi_ holds then
  rtapi_ = new SilentMidiOutApi;
}
