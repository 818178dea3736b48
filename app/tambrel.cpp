// Start-up and clean-up, the audio callback, the application of queued messages and the MIDI
// input callbacks.
#include "tambrel.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>

#include "AudioOutput.h"
#include "ConsoleLines.h"
#include "ControllerTranslator.h"
#include "DisplayOutbox.h"
#include "FileWorker.h"
#include "LcdMirror.h"
#include "LcdTerminal.h"
#include "MidiPortOpener.h"
#include "NoteRouting.h"
#include "NovationDisplay.h"
#include "NovationLogic.h"
#include "RunReporter.h"
#include "ZorvDrumKit.h"

std::atomic<bool> done{false};

namespace {

// Frames between two looks at an empty queue, and the cost of a dropped message (about 1.45 ms).
constexpr int kQueuePollFrames = 64;
// Frames rendered into one block before they are copied to the device's channels.
constexpr int kBlockFrames = 64;

void finish(int) {
  done = true;
}

void enqueue(TickData* data, const stk::Skini::Message& message) {
  QueuedMessage record;
  record.type = static_cast<int32_t>(message.type);
  record.channel = static_cast<int32_t>(message.channel);
  record.data1 = static_cast<int32_t>(message.intValues[0]);
  record.data2 = static_cast<int32_t>(message.intValues[1]);
  if (!data->messageQueue.push(record)) data->messagesDropped.fetch_add(1);
}

// Takes the next message to apply, unless a Load or Paste of the logic still waits for its file:
// then the messages after it wait too, so that they apply in order, and the kit plays on.
void lookAtQueue(TickData* data) TAMBREL_NONBLOCKING {
  data->framesToNextMessage = kQueuePollFrames;
  if (data->files) data->files->flush();
  stk::NovationLogic* logic = data->logic;
  if (logic && logic->awaitingRead()) {
    stk::FileResult result;
    if (!data->files || !data->files->takeResult(result)) return;
    logic->completeRead(result);
    if (logic->awaitingRead()) return;
  }
  if (!data->messageQueue.pop(data->pendingMessage)) return;
  if (data->pendingMessage.type > 0) { // applied before the next frame
    data->framesToNextMessage = 0;
    data->messagePending = true;
  }
}

// Renders frames of the kit into every channel of the interleaved output.
void render(TickData* data, stk::StkFloat*& out, int frames) TAMBREL_NONBLOCKING {
  float block[kBlockFrames];
  while (frames > 0) {
    const int count = frames < kBlockFrames ? frames : kBlockFrames;
    data->kit->renderBlock(block, static_cast<unsigned int>(count));
    if (data->outputEnabled) {
      for (int i = 0; i < count; i++)
        for (int channel = 0; channel < data->channelCount; channel++)
          *out++ = block[i];
    }
    frames -= count;
  }
}

} // namespace

int tick(void* outputBuffer, void*, unsigned int nFrames, double, unsigned int, void* userData) {
  TickData* data = static_cast<TickData*>(userData);
  stk::StkFloat* out = static_cast<stk::StkFloat*>(outputBuffer);
  int framesLeft = static_cast<int>(nFrames);
  if (!data->audioThreadKnown.load(std::memory_order_relaxed)) {
    data->audioThread = pthread_self();
    data->audioThreadKnown.store(true, std::memory_order_release);
  }

  while (framesLeft > 0 && !done) {
    if (!data->messagePending) lookAtQueue(data);

    const int frames = std::min(framesLeft, data->framesToNextMessage);
    data->framesToNextMessage -= frames;
    render(data, out, frames);
    framesLeft -= frames;

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
  const QueuedMessage& message = data->pendingMessage;
  if (message.channel >= 16) { // the control port
    if (message.type == 176) data->logic->midiCC(message.data1, message.data2);
  } else if (message.channel >= 0) {
    // The LCD marks only a drum's note; a note that is no drum's marks nothing.
    const NoteMark mark =
        applyNoteMessage(*data->kit, data->midiChannel, message.type | message.channel,
                         message.data1, message.data2);
    if (mark.drum >= 0 && data->display) data->display->lcdTextPos(4, mark.drum, mark.text);
  }
  data->messagePending = false;
  ++data->messagesApplied;
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
  TickData* data = static_cast<TickData*>(userData);
  if (data->translator && bytes) {
    const ControllerTranslator::Result result =
        data->translator->translate(bytes->data(), bytes->size());
    if (result.verdict == ControllerTranslator::Verdict::Drop) return;
    if (result.verdict == ControllerTranslator::Verdict::Translated) {
      if (result.count == 0) return;
      QueuedMessage record;
      record.type = 176;
      record.channel = 16; // the control port
      record.data1 = result.controller;
      record.data2 = result.value;
      if (!data->messageQueue.push(record)) data->messagesDropped.fetch_add(1);
      return;
    }
  }
  stk::Skini::Message message = midiCallback(deltaTime, bytes, userData);
  message.channel += 16; // marks the control port for processMessage
  enqueue(static_cast<TickData*>(userData), message);
}

void notePortMidiCallback(double deltaTime, std::vector<unsigned char>* bytes, void* userData) {
  const TickData* data = static_cast<const TickData*>(userData);
  if (data->notesShareControl && bytes && data->translator->takes(bytes->data(), bytes->size()))
    return;
  enqueue(static_cast<TickData*>(userData), midiCallback(deltaTime, bytes, userData));
}

int runTambrel(const Settings& settings) {
  TickData data;
  AudioOutput audio(settings);
  if (!audio.prepare(std::cerr)) return 1;
  // The LCD on the terminal (--lcd-view), drawn from the messages the display sends.
  LcdMirror mirror;
  LcdTerminal view(mirror, stdout);
  if (settings.lcdView) view.start();
  // The slow effects of the audio thread's work leave it through these, in order.
  stk::ConsoleLines console;
  stk::DisplayOutbox outbox;
  stk::FileWorker files(settings.soundsetDir);

  stk::Stk::setSampleRate(settings.sampleRate);
  stk::Stk::setRawwavePath("../../rawwaves/");
  stk::Stk::showWarnings(true);

  data.kit = new stk::ZorvDrumKit(0, settings.sampleRate);
  data.midiChannel = 9;

  // The map's translator is in place before the control input's first message.
  std::unique_ptr<ControllerTranslator> translator;
  if (settings.controls) {
    translator.reset(new ControllerTranslator(*settings.controls));
    data.translator = translator.get();
  }
  MidiPortOpener ports(settings, std::cout, std::cerr);
  data.controlPortIn = ports.openControlIn();
  if (data.controlPortIn)
    data.controlPortIn->setCallback(&ctlPortMidiCallback, &data);
  else
    done = true;

  data.notePortIn = ports.openNotesIn();
  data.notesShareControl = data.translator && ports.inputsShareAPort();
  if (data.notePortIn)
    data.notePortIn->setCallback(&notePortMidiCallback, &data);
  else
    done = true;

  data.displayPortOut = ports.failed() ? nullptr : ports.openLcdOut();
  if (data.displayPortOut) {
    stk::DisplayOutbox::Listener mirrored;
    if (settings.lcdView)
      mirrored = [&mirror](const unsigned char* bytes, size_t size) { mirror.accept(bytes, size); };
    outbox.start(data.displayPortOut, mirrored);
    data.display = new stk::NovationDisplay(data.displayPortOut, &outbox);
    data.logic =
        new stk::NovationLogic(data.display, data.kit, &data.midiChannel, settings.soundsetDir);
    std::fflush(stdout);
    data.logic->console = &console;
    data.logic->files = &files;
    data.files = &files;
    console.start(stdout);
    files.start();
  } else {
    done = true;
  }
  if (ports.fixedPortMissing()) std::cerr << MidiPortOpener::hint() << "\n";

  if (data.controlPortIn && data.notePortIn && data.displayPortOut && !done) {
    data.outputEnabled = true;
    bool running = false;
    try {
      RtAudioCallback callback = tick;
      if (settings.audioCallback) callback = settings.audioCallback;
      audio.open(callback, &data, data.channelCount);
      std::signal(SIGINT, finish);
      audio.dac().startStream();
      running = true;
    } catch (RtAudioError& error) {
      error.printMessage();
    }

    if (running) {
      RunReporter reporter(data, outbox);
      while (!done) {
        stk::Stk::sleep(200);
        reporter.report();
      }
      try {
        audio.dac().closeStream();
      } catch (RtAudioError& error) {
        error.printMessage();
      }
    }
  }

  // Every save still pending reaches its file, every line and display message is sent.
  files.stop();
  console.stop();
  outbox.stop();
  view.stop();

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
