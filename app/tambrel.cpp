// The audio callback, the application of queued messages and the MIDI input callbacks.
#include "tambrel.h"

#include <algorithm>

#include "ControllerTranslator.h"
#include "FileWorker.h"
#include "NoteRouting.h"
#include "NovationDisplay.h"
#include "NovationLogic.h"
#include "ZorvDrumKit.h"

std::atomic<bool> done{false};

namespace {

// Frames between two looks at an empty queue, and the cost of a dropped message (about 1.45 ms).
constexpr int kQueuePollFrames = 64;
// Frames rendered into one block before they are copied to the device's channels.
constexpr int kBlockFrames = 64;

void enqueue(TickData* data, const stk::Skini::Message& message) {
  QueuedMessage record;
  record.type = static_cast<int32_t>(message.type);
  record.channel = static_cast<int32_t>(message.channel);
  record.data1 = static_cast<int32_t>(message.intValues[0]);
  record.data2 = static_cast<int32_t>(message.intValues[1]);
  record.stamp = data->timing.stamp();
  if (!data->messageQueue.push(record)) data->messagesDropped.fetch_add(1);
}

// Frames of the current callback until the pending message is due (0: now).
int framesUntilDue(const TickData* data) TAMBREL_NONBLOCKING {
  const int64_t frame = data->timing.frameFor(data->pendingMessage.stamp);
  return frame > data->framesDone ? static_cast<int>(frame - data->framesDone) : 0;
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
  if (data->pendingMessage.type > 0) { // applied before the frame of its stamp
    data->framesToNextMessage = framesUntilDue(data);
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

int tick(void* outputBuffer, void*, unsigned int nFrames, double, unsigned int status,
         void* userData) {
  TickData* data = static_cast<TickData*>(userData);
  stk::StkFloat* out = static_cast<stk::StkFloat*>(outputBuffer);
  int framesLeft = static_cast<int>(nFrames);
  if (!data->audioThreadKnown.load(std::memory_order_relaxed)) {
    data->audioThread = pthread_self();
    data->audioThreadKnown.store(true, std::memory_order_release);
  }

  data->timing.beginCallback(nFrames, (status & RTAUDIO_OUTPUT_UNDERFLOW) != 0);
  data->framesDone = 0;
  // A stamped message that waited past the last callback's end is placed again on this one's
  // frames (one without a stamp keeps its count).
  if (data->messagePending && data->pendingMessage.stamp != 0)
    data->framesToNextMessage = framesUntilDue(data);

  while (framesLeft > 0 && !done) {
    if (!data->messagePending) lookAtQueue(data);

    const int frames = std::min(framesLeft, data->framesToNextMessage);
    data->framesToNextMessage -= frames;
    render(data, out, frames);
    framesLeft -= frames;
    data->framesDone += frames;

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
  QueuedMessage record;
  bool mapped = false;
  if (bytes && !throughControllerMap(data, bytes->data(), bytes->size(), record, mapped)) return;
  if (mapped) {
    record.stamp = data->timing.stamp();
    if (!data->messageQueue.push(record)) data->messagesDropped.fetch_add(1);
    return;
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

bool throughControllerMap(TickData* data, const unsigned char* bytes, size_t size,
                          QueuedMessage& message, bool& mapped) {
  mapped = false;
  if (!data->translator) return true;
  const ControllerTranslator::Result result = data->translator->translate(bytes, size);
  if (result.verdict == ControllerTranslator::Verdict::Drop) return false;
  if (result.verdict == ControllerTranslator::Verdict::Pass) return true;
  if (result.count == 0) return false; // a toggle's release
  message.type = 176;
  message.channel = 16; // the control port
  message.data1 = result.controller;
  message.data2 = result.value;
  mapped = true;
  return true;
}

bool toQueuedMessage(const unsigned char* bytes, size_t size, bool controlPort,
                     QueuedMessage& message) {
  if (size < 2 || bytes[0] < 0x80 || bytes[0] > 0xEF) return false; // system messages
  message.type = bytes[0] & 0xF0;
  message.channel = (bytes[0] & 0x0F) + (controlPort ? 16 : 0);
  message.data1 = bytes[1];
  message.data2 = 0;
  if (message.type == 192 || message.type == 208 || size == 2) return true;
  if (message.type == 224) // pitch bend: one 14-bit value, 0 .. 16383
    message.data1 = bytes[1] + 128 * bytes[2];
  else
    message.data2 = bytes[2];
  return true;
}
