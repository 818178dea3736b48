// Start-up and clean-up, the audio callback, the application of queued messages and the MIDI
// input callbacks.
#include "tambrel.h"

#include <algorithm>
#include <csignal>
#include <iostream>

#include "AudioOutput.h"
#include "MidiPortOpener.h"
#include "NoteRouting.h"
#include "NovationDisplay.h"
#include "NovationLogic.h"
#include "ZorvDrumKit.h"

std::atomic<bool> done{false};

namespace {

// Frames between two looks at an empty queue, and the cost of a dropped message (about 1.45 ms).
constexpr int kQueuePollFrames = 64;

void finish(int) {
  done = true;
}

void enqueue(TickData* data, const stk::Skini::Message& message) {
  data->queueMutex.lock();
  data->messageQueue.push_back(message);
  data->queueMutex.unlock();
}

} // namespace

int tick(void* outputBuffer, void*, unsigned int nFrames, double, unsigned int, void* userData) {
  TickData* data = static_cast<TickData*>(userData);
  stk::StkFloat* out = static_cast<stk::StkFloat*>(outputBuffer);
  int framesLeft = static_cast<int>(nFrames);

  while (framesLeft > 0 && !done) {
    if (!data->messagePending) {
      data->queueMutex.lock();
      if (data->messageQueue.empty()) {
        data->queueMutex.unlock();
        data->framesToNextMessage = kQueuePollFrames;
      } else {
        data->pendingMessage = data->messageQueue.front();
        data->messageQueue.pop_front();
        data->queueMutex.unlock();
        if (data->pendingMessage.type > 0) {
          data->framesToNextMessage =
              static_cast<int>(data->pendingMessage.time * stk::Stk::sampleRate());
          data->messagePending = true;
        } else {
          data->framesToNextMessage = kQueuePollFrames;
        }
      }
    }

    const int frames = std::min(framesLeft, data->framesToNextMessage);
    data->framesToNextMessage -= frames;
    for (int i = 0; i < frames; i++) {
      const stk::StkFloat sample = data->kit->tick();
      if (data->outputEnabled) {
        for (int channel = 0; channel < data->channelCount; channel++)
          *out++ = sample;
      }
      framesLeft--;
    }

    // A message due exactly at the buffer's end waits for the next buffer.
    if (framesLeft == 0) return 0;
    if (data->messagePending) processMessage(data);
  }

  // Stopping: the device gets silence rather than what the buffer held before.
  if (data->outputEnabled && framesLeft > 0) {
    for (int i = 0; i < framesLeft * data->channelCount; i++)
      *out++ = 0.0;
  }
  return 0;
}

void processMessage(TickData* data) {
  const stk::Skini::Message& message = data->pendingMessage;
  const int data1 = static_cast<int>(message.floatValues[0]);
  const int data2 = static_cast<int>(message.floatValues[1]);
  if (message.channel >= 16) { // the control port
    if (message.type == 176) data->logic->midiCC(data1, data2);
  } else if (message.channel >= 0) {
    const int status = static_cast<int>(message.type) | static_cast<int>(message.channel);
    // The LCD marks only a drum's note; a note that is no drum's marks nothing.
    const NoteMark mark = applyNoteMessage(*data->kit, data->midiChannel, status, data1, data2);
    if (mark.drum >= 0) data->display->lcdTextPos(4, mark.drum, mark.text);
  }
  data->messagePending = false;
}

stk::Skini::Message midiCallback(double, std::vector<unsigned char>* bytes, void*) {
  stk::Skini::Message message;
  if (bytes == nullptr || bytes->size() < 2) return message;
  const std::vector<unsigned char>& b = *bytes;
  const int status = b[0];
  if (status > 0xEF) return message; // system messages

  message.type = status & 0xF0;
  message.channel = status & 0x0F;
  message.time = 0.0;
  message.intValues[0] = b[1];
  message.floatValues[0] = b[1];
  if (message.type == 192 || message.type == 208) return message;
  if (b.size() == 2) return message;

  message.intValues[1] = b[2];
  if (message.type == 224) { // pitch bend: one 14-bit value, 0 .. 16383
    message.intValues[0] = b[1] + 128 * b[2];
    message.floatValues[0] = message.intValues[0];
    message.intValues[1] = 0;
  } else {
    message.floatValues[1] = b[2];
  }
  return message;
}

void ctlPortMidiCallback(double deltaTime, std::vector<unsigned char>* bytes, void* userData) {
  stk::Skini::Message message = midiCallback(deltaTime, bytes, userData);
  message.channel += 16; // marks the control port for processMessage
  enqueue(static_cast<TickData*>(userData), message);
}

void notePortMidiCallback(double deltaTime, std::vector<unsigned char>* bytes, void* userData) {
  enqueue(static_cast<TickData*>(userData), midiCallback(deltaTime, bytes, userData));
}

int runTambrel(const Settings& settings) {
  TickData data;
  AudioOutput audio(settings);
  if (!audio.prepare(std::cerr)) return 1;

  stk::Stk::setSampleRate(settings.sampleRate);
  stk::Stk::setRawwavePath("../../rawwaves/");
  stk::Stk::showWarnings(true);

  data.kit = new stk::ZorvDrumKit();
  data.midiChannel = 9;

  MidiPortOpener ports(settings, std::cout, std::cerr);
  data.controlPortIn = ports.openControlIn();
  if (data.controlPortIn)
    data.controlPortIn->setCallback(&ctlPortMidiCallback, &data);
  else
    done = true;

  data.notePortIn = ports.openNotesIn();
  if (data.notePortIn)
    data.notePortIn->setCallback(&notePortMidiCallback, &data);
  else
    done = true;

  data.displayPortOut = ports.failed() ? nullptr : ports.openLcdOut();
  if (data.displayPortOut) {
    data.display = new stk::NovationDisplay(data.displayPortOut);
    data.logic =
        new stk::NovationLogic(data.display, data.kit, &data.midiChannel, settings.soundsetDir);
  } else {
    done = true;
  }
  if (ports.fixedPortMissing()) std::cerr << MidiPortOpener::hint() << "\n";

  if (data.controlPortIn && data.notePortIn && data.displayPortOut && !done) {
    data.outputEnabled = true;
    bool running = false;
    try {
      audio.open(settings.audioCallback ? settings.audioCallback : tick, &data, data.channelCount);
      std::signal(SIGINT, finish);
      audio.dac().startStream();
      running = true;
    } catch (RtAudioError& error) {
      error.printMessage();
    }

    if (running) {
      while (!done)
        stk::Stk::sleep(200);
      try {
        audio.dac().closeStream();
      } catch (RtAudioError& error) {
        error.printMessage();
      }
    }
  }

  std::cout << "\nCleaning up...\n";
  delete data.logic;
  delete data.display;
  delete data.displayPortOut;
  delete data.notePortIn;
  delete data.controlPortIn;
  delete data.kit;
  std::cout << "\nGoodbye!\n\n";
  return ports.failed() ? 1 : 0;
}
