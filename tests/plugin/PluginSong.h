// A player's notes at exact frames, for the plugin and for tambrel-render alike.
#ifndef TAMBREL_TESTS_PLUGINSONG_H
#define TAMBREL_TESTS_PLUGINSONG_H

#include "Lv2TestInstance.h"
#include "RenderRig.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct TimedMessage {
  int64_t frame;
  uint8_t status, data1, data2;
};

// Notes and releases on every drum on channel 10, some on channel 1, at frames that fall on the
// first and last frames of 64- and 1000-frame blocks; `frames` long.
std::vector<TimedMessage> drumSong(uint32_t frames);
// The messages whose note plays drum 0 .. 4 (36, 38, 39, 42, 46).
std::vector<TimedMessage> drumOnly(const std::vector<TimedMessage>& song, int drum);

// tambrel-render's mono f32 output for the song (one MIDI tick per frame), `frames` long.
std::vector<float> renderedByProgram(const renderrig::Scratch& scratch,
                                     const std::vector<TimedMessage>& song, uint32_t frames,
                                     uint32_t seed, std::vector<std::string> extraArgs = {},
                                     uint32_t rate = 44100);

// Runs the instance over the song in blocks whose sizes come from nextBlock, each message given
// at its frame within its block.
void playInBlocks(Lv2TestInstance& instance, const std::vector<TimedMessage>& song, uint32_t frames,
                  const std::function<uint32_t()>& nextBlock);

#endif
