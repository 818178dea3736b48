// Recording back end for RtMidiOut: what sendMessage receives is appended to a list.
#include "RecordingMidiOut.h"

namespace {

class RecordingMidiOutApi : public MidiOutApi {
public:
  std::vector<RecordingMidiOut::Message> sent;

  RtMidi::Api getCurrentApi() override { return RtMidi::UNIX_JACK; }
  void openPort(unsigned int, const std::string&) override { connected_ = true; }
  void openVirtualPort(const std::string&) override {}
  void closePort() override { connected_ = false; }
  void setClientName(const std::string&) override {}
  void setPortName(const std::string&) override {}
  unsigned int getPortCount() override { return 0; }
  std::string getPortName(unsigned int) override { return std::string(); }
  void sendMessage(const unsigned char* message, size_t size) override {
    sent.emplace_back(message, message + size);
  }

protected:
  void initialize(const std::string&) override {}
};

} // namespace

RecordingMidiOut::RecordingMidiOut() : RtMidiOut(RtMidi::UNIX_JACK, "tambrel test") {
  auto* recorder = new RecordingMidiOutApi;
  delete rtapi_; // RtMidi's destructor deletes whatever rtapi_ holds then
  rtapi_ = recorder;
  sent = &recorder->sent;
}

const std::vector<RecordingMidiOut::Message>& RecordingMidiOut::messages() const {
  return *sent;
}

void RecordingMidiOut::clear() {
  sent->clear();
}
