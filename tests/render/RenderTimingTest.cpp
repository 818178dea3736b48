// Note timing through the whole program: MIDI files written here, rendered, and every onset frame
// compared with round(t * rate) worked out by hand from the file's ticks and tempi.
#include "RenderRig.h"

#include <gtest/gtest.h>

using namespace renderrig;

namespace {

using Frames = std::vector<size_t>;

const Bytes kick = {0x99, 36, 100}; // channel 10
const Bytes snare = {0x99, 38, 100};

// Quarter notes at ticks 0, 480 and 960 at 120 BPM, then 150 BPM (400000 us) from tick 960:
// 0, 0.5, 1.0, 1.4 and 1.8 s.
const Frames kTempoChange = {0, 22050, 44100, 61740, 79380};

TEST(RenderTiming, TempoChangeMidFileInFormat0) {
  Scratch s;
  // The change comes first at tick 960: the delta that ends on it is still 120 BPM.
  const Bytes file = smf(0, 480,
                         {track({event(0, kick), event(480, kick), event(480, tempo(400000)),
                                 event(0, kick), event(480, kick), event(480, kick)})});
  EXPECT_EQ(onsetsOf(s, file), kTempoChange);
  EXPECT_EQ(onsetsOf(s, file, {"--rate", "48000"}), (Frames{0, 24000, 48000, 67200, 86400}));
}

TEST(RenderTiming, TempoMapInTrack0OfFormat1AppliesToEveryTrack) {
  Scratch s;
  const Bytes tempoTrack = track({event(0, tempo(500000)), event(960, tempo(400000))});
  const Bytes notes = track(
      {event(0, kick), event(480, kick), event(480, kick), event(480, kick), event(480, kick)});
  EXPECT_EQ(onsetsOf(s, smf(1, 480, {tempoTrack, notes})), kTempoChange);
}

TEST(RenderTiming, MarkerAndSysExDeltasCount) {
  Scratch s;
  const Bytes marker = {0xFF, 0x06, 0x05, 'v', 'e', 'r', 's', 'e'};
  const Bytes sysex = {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
  const Bytes escape = {0xF7, 0x01, 0xF8};
  // Notes at ticks 0, 720 (0.75 s) and 1200 (1.25 s).
  const Bytes file = smf(0, 480,
                         {track({event(0, kick), event(240, marker), event(240, sysex),
                                 event(240, snare), event(120, escape), event(360, kick)})});
  EXPECT_EQ(onsetsOf(s, file), (Frames{0, 33075, 55125}));
}

TEST(RenderTiming, RunningStatusCarriesAcrossMetaAndSysEx) {
  Scratch s;
  const Bytes text = {0xFF, 0x01, 0x03, 'h', 'a', 't'};
  const Bytes sysex = {0xF0, 0x03, 0x43, 0x10, 0xF7};
  // 0x99 once; then "38 100" at tick 960 and "36 90" at tick 1440 in running status.
  const Bytes file = smf(0, 480,
                         {track({event(0, kick), event(480, text), event(480, {38, 100}),
                                 event(240, sysex), event(240, {36, 90})})});
  EXPECT_EQ(onsetsOf(s, file), (Frames{0, 44100, 66150}));
}

TEST(RenderTiming, SmpteDivisionCountsFramesNotBeats) {
  Scratch s;
  // 25 frames per second, 40 ticks per frame: ticks are milliseconds; the tempo has no effect.
  const Bytes ms =
      smf(0, 0xE728,
          {track({event(0, tempo(250000)), event(0, kick), event(500, kick), event(734, kick)})});
  EXPECT_EQ(onsetsOf(s, ms), (Frames{0, 22050, 54419})); // 1.234 s is frame 54419.4
  // 30 drop-frame (29.97 frames per second), 100 ticks per frame: 3000 ticks are 1.001 s.
  const Bytes dropFrame = smf(0, 0xE364, {track({event(0, kick), event(3000, kick)})});
  EXPECT_EQ(onsetsOf(s, dropFrame), (Frames{0, 44144}));
}

TEST(RenderTiming, TracksMergeByAbsoluteTickAndHalvesRoundUp) {
  Scratch s;
  const Bytes kicks = track({event(0, kick), event(960, kick)});
  // Ticks 600 and 1560: 0.625 s and 1.625 s, frames 27562.5 and 71662.5.
  const Bytes snares = track({event(600, snare), event(960, {0x89, 38, 0}), event(0, snare)});
  EXPECT_EQ(onsetsOf(s, smf(1, 480, {kicks, snares})), (Frames{0, 27563, 44100, 71663}));
}

TEST(RenderTiming, Format2TracksPlayOneAfterAnotherEachWithItsTempo) {
  Scratch s;
  const Bytes first = track({event(0, kick), event(960, {0xFF, 0x2F, 0x00})}, false); // 1 s
  const Bytes second = track(
      {event(0, tempo(1000000)), event(0, kick), event(480, snare), event(480, {0xFF, 0x2F, 0x00})},
      false);                                    // 60 BPM: 2 s
  const Bytes third = track({event(480, kick)}); // 120 BPM again: 0.5 s in
  EXPECT_EQ(onsetsOf(s, smf(2, 480, {first, second, third})), (Frames{0, 44100, 88200, 154350}));
}

TEST(RenderTiming, OnlyDrumNotesOnTheChosenChannelPlay) {
  Scratch s;
  const Bytes file = smf(0, 480,
                         {track({event(0, {0x92, 36, 100}), event(480, {0x99, 37, 100}),
                                 event(480, {0xB9, 7, 100}), event(0, kick)})});
  EXPECT_EQ(onsetsOf(s, file), (Frames{44100}));
  EXPECT_EQ(onsetsOf(s, file, {"--channel", "3"}), (Frames{0}));
}

} // namespace
