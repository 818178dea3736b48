// A MIDI output for tests: keeps every message sent to it, in order, and sends nothing anywhere.
#ifndef TAMBREL_TESTS_RECORDINGMIDIOUT_H
#define TAMBREL_TESTS_RECORDINGMIDIOUT_H

#include <RtMidi.h>

#include <string>
#include <vector>

class RecordingMidiOut : public RtMidiOut {
public:
  using Message = std::vector<unsigned char>;

  // Built on the JACK back end, which needs no server until a port is opened, then that back
  // end is swapped for a recorder.
  RecordingMidiOut();

  // Every message sent so far, oldest first.
  const std::vector<Message>& messages() const;
  void clear();

private:
  std::vector<Message>* sent;
};

#endif
