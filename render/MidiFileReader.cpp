// MIDI file parsing: header, track chunks and their events, then the merge in playing order.
#include "MidiFileReader.h"

#include "TempoMap.h"

#include <algorithm>
#include <string>

namespace {

using Error = MidiFileReader::Error;

struct TrackEvent {
  uint64_t tick;
  uint32_t tempo; // us per quarter note; 0 for a channel message
  uint8_t status; // 0 for a tempo change
  uint8_t data1;
  uint8_t data2;
};

struct Track {
  std::vector<TrackEvent> events; // in file order, so by tick
  uint64_t endTick = 0;           // of End of Track, or of the last event
};

std::string hex(unsigned value) {
  const char digits[] = "0123456789ABCDEF";
  return std::string("0x") + digits[(value >> 4) & 15] + digits[value & 15];
}

uint32_t bigEndian(const uint8_t* p, int bytes) {
  uint32_t value = 0;
  for (int i = 0; i < bytes; ++i)
    value = value << 8 | p[i];
  return value;
}

// The events of one track chunk, bytes [begin, end) of the file.
class TrackParser {
public:
  TrackParser(const uint8_t* file, size_t begin, size_t end, int number)
      : file_(file), at_(begin), end_(end), number_(number) {}

  Track parse() {
    Track track;
    uint64_t tick = 0;
    uint8_t running = 0;
    while (at_ < end_) {
      tick += variableLength("delta time");
      if (tick > MidiFileReader::kMaxTicks) fail("runs past 2^32 ticks");
      track.endTick = tick;
      uint8_t status = need(1, "event")[0];
      if (status >= 0x80) {
        ++at_;
      } else if (running == 0) {
        fail("data byte " + hex(status) + " without a status byte");
      } else {
        status = running;
      }
      if (status == 0xFF) {
        const uint8_t type = need(1, "meta event")[0];
        ++at_;
        const uint64_t length = variableLength("meta event length");
        const uint8_t* data = need(length, "meta event");
        at_ += length;
        if (type == 0x2F) break; // End of Track: anything after it is not played
        if (type == 0x51 && length >= 3)
          track.events.push_back({tick, bigEndian(data, 3), 0, 0, 0});
      } else if (status == 0xF0 || status == 0xF7) {
        const uint64_t length = variableLength("SysEx length");
        need(length, "SysEx event");
        at_ += length;
      } else if (status >= 0xF1) {
        // System common and real-time bytes have no place in a file; skip them with their data.
        const int length = status == 0xF2 ? 2 : (status == 0xF1 || status == 0xF3) ? 1 : 0;
        need(length, "system message");
        at_ += length;
      } else {
        running = status;
        const int length = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
        const uint8_t* data = need(length, "channel message");
        for (int i = 0; i < length; ++i)
          if (data[i] >= 0x80)
            fail("channel message " + hex(status) + " with data byte " + hex(data[i]));
        at_ += length;
        track.events.push_back({tick, 0, status, data[0], length == 2 ? data[1] : uint8_t{0}});
      }
    }
    return track;
  }

private:
  [[noreturn]] void fail(const std::string& what) const {
    throw Error("track " + std::to_string(number_) + ", byte " + std::to_string(at_) + ": " + what);
  }

  const uint8_t* need(uint64_t bytes, const char* what) const {
    if (bytes > end_ - at_) fail(std::string(what) + " runs past the end of the track");
    return file_ + at_;
  }

  // A variable-length quantity: at most 4 bytes, 7 bits each, the last without the top bit.
  uint64_t variableLength(const char* what) {
    uint64_t value = 0;
    for (int i = 0; i < 4; ++i) {
      const uint8_t byte = need(1, what)[0];
      ++at_;
      value = value << 7 | (byte & 0x7F);
      if (byte < 0x80) return value;
    }
    fail(std::string(what) + " longer than 4 bytes");
  }

  const uint8_t* file_;
  size_t at_;
  const size_t end_;
  const int number_;
};

struct Header {
  unsigned format;
  unsigned tracks;
  unsigned division;
};

TempoMap tempoMapFor(unsigned division) {
  if (division & 0x8000) {
    const unsigned fps = 256 - (division >> 8); // the high byte is minus the frame rate
    const unsigned ticksPerFrame = division & 0xFF;
    if (fps != 24 && fps != 25 && fps != 29 && fps != 30)
      throw Error("SMPTE time division with " + std::to_string(fps) + " frames per second");
    if (ticksPerFrame == 0) throw Error("SMPTE time division with 0 ticks per frame");
    return TempoMap::smpte(fps, ticksPerFrame);
  }
  if (division == 0) throw Error("time division of 0 ticks per quarter note");
  return TempoMap::metrical(division);
}

// Position of an event in the merge: tick, then track, then file order.
struct MergeKey {
  uint64_t tick;
  size_t track;
  size_t index;
  bool operator<(const MergeKey& other) const {
    if (tick != other.tick) return tick < other.tick;
    if (track != other.track) return track < other.track;
    return index < other.index;
  }
};

// Tracks that play together from `offset` on: one tempo map from all of them, messages merged by
// tick. Returns the time at which the last of them ends.
uint64_t playTogether(const std::vector<Track>& tracks, unsigned division, uint64_t offset,
                      MidiSong& song) {
  std::vector<MergeKey> order;
  for (size_t t = 0; t < tracks.size(); ++t)
    for (size_t i = 0; i < tracks[t].events.size(); ++i)
      order.push_back({tracks[t].events[i].tick, t, i});
  std::sort(order.begin(), order.end());

  TempoMap map = tempoMapFor(division);
  for (const MergeKey& key : order) {
    const TrackEvent& e = tracks[key.track].events[key.index];
    if (e.status == 0) map.addTempo(e.tick, e.tempo);
  }
  song.unitsPerSecond = map.unitsPerSecond();
  for (const MergeKey& key : order) {
    const TrackEvent& e = tracks[key.track].events[key.index];
    if (e.status != 0)
      song.messages.push_back({offset + map.timeAt(e.tick), e.status, e.data1, e.data2});
  }
  uint64_t endTick = 0;
  for (const Track& t : tracks)
    endTick = std::max(endTick, t.endTick);
  return offset + map.timeAt(endTick);
}

} // namespace

MidiSong MidiFileReader::parse(const uint8_t* bytes, size_t size) {
  if (size < 4 || std::string(bytes, bytes + 4) != "MThd")
    throw Error("not a Standard MIDI File (it does not begin with \"MThd\")");
  if (size < 14) throw Error("truncated header chunk");
  const uint32_t headerLength = bigEndian(bytes + 4, 4);
  if (headerLength < 6) throw Error("header chunk of " + std::to_string(headerLength) + " bytes");
  if (headerLength > size - 8) throw Error("truncated header chunk");
  const Header header{bigEndian(bytes + 8, 2), bigEndian(bytes + 10, 2), bigEndian(bytes + 12, 2)};
  if (header.format > 2) throw Error("unknown format " + std::to_string(header.format));
  tempoMapFor(header.division); // refuses a division it cannot play

  std::vector<Track> tracks;
  size_t at = 8 + size_t{headerLength};
  while (tracks.size() < header.tracks) {
    if (at == size)
      throw Error("the header announces " + std::to_string(header.tracks) +
                  (header.tracks == 1 ? " track" : " tracks") + ", the file holds " +
                  std::to_string(tracks.size()));
    if (size - at < 8) throw Error("truncated chunk at byte " + std::to_string(at));
    const bool isTrack = std::string(bytes + at, bytes + at + 4) == "MTrk";
    const uint32_t length = bigEndian(bytes + at + 4, 4);
    if (length > size - at - 8) {
      const std::string what = isTrack ? "track " + std::to_string(tracks.size()) : "chunk";
      throw Error(what + " at byte " + std::to_string(at) + " claims " + std::to_string(length) +
                  " bytes, the file holds " + std::to_string(size - at - 8) + " more");
    }
    if (isTrack) {
      tracks.push_back(TrackParser(bytes, at + 8, at + 8 + length, tracks.size()).parse());
    }
    at += 8 + size_t{length};
  }

  MidiSong song;
  if (header.format != 2) {
    playTogether(tracks, header.division, 0, song); // each track is within kMaxTicks
    return song;
  }
  uint64_t ticks = 0;
  uint64_t offset = 0;
  for (const Track& t : tracks) {
    ticks += t.endTick;
    if (ticks > kMaxTicks) throw Error("the tracks together run past 2^32 ticks");
    offset = playTogether({t}, header.division, offset, song);
  }
  return song;
}
