// Start-up and clean-up: the kit, the display and its logic, the MIDI and audio of the run
// (one JACK client, or the MIDI and audio libraries), the wait for the end and the farewell.
#include "tambrel.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>

#include "AudioOutput.h"
#include "ConsoleLines.h"
#include "ControllerTranslator.h"
#include "DisplayOutbox.h"
#include "FileWorker.h"
#include "JackClient.h"
#include "JackPortConnector.h"
#include "LcdMirror.h"
#include "LcdTerminal.h"
#include "MidiPortOpener.h"
#include "NovationDisplay.h"
#include "NovationLogic.h"
#include "RunReporter.h"
#include "ZorvDrumKit.h"

namespace {

void finish(int) {
  done = true;
}

// What the program keeps beside the kit while it runs: the slow effects of the audio thread's
// work leave it through these, in order.
struct Surface {
  LcdMirror& mirror;
  stk::ConsoleLines& console;
  stk::DisplayOutbox& outbox;
  stk::FileWorker& files;
};

// The display (through the outbox; `out` is where the outbox's sender thread takes it, if it
// runs) and the editing logic with its console and file worker.
void startLogic(const Settings& settings, TickData& data, RtMidiOut* out, Surface& surface) {
  data.display = new stk::NovationDisplay(out, &surface.outbox);
  data.logic =
      new stk::NovationLogic(data.display, data.kit, &data.midiChannel, settings.soundsetDir);
  std::fflush(stdout);
  data.logic->console = &surface.console;
  data.logic->files = &surface.files;
  data.files = &surface.files;
  surface.console.start(stdout);
  surface.files.start();
}

void waitForTheEnd(TickData& data, const stk::DisplayOutbox& outbox) {
  std::signal(SIGINT, finish);
  std::signal(SIGTERM, finish);
  RunReporter reporter(data, outbox);
  while (!done) {
    stk::Stk::sleep(200);
    reporter.report();
  }
}

// MIDI and audio through one JACK client. Returns the exit status.
int playOnJack(const Settings& settings, AudioOutput& audio, TickData& data, Surface& surface) {
  JackClient client(data, surface.outbox);
  if (!client.open(settings.jackName, std::cerr)) return 1;
  client.wrapProcess(settings.processWrapper);
  JackPortConnector connector(client.handle(), settings, std::cout, std::cerr);
  connector.choose();
  data.notesShareControl = data.translator && connector.inputsShareAPort();
  if (connector.fixedPortMissing()) std::cerr << MidiPortOpener::hint() << "\n";
  if (connector.failed() || connector.fixedPortMissing()) return connector.failed() ? 1 : 0;

  if (connector.lcdIsHardware()) client.paceDisplay();
  // The LCD view draws on the mirror outbox's own thread, never on the process thread.
  stk::DisplayOutbox mirrored;
  if (settings.lcdView) {
    mirrored.start(nullptr, [&surface](const unsigned char* bytes, size_t size) {
      surface.mirror.accept(bytes, size);
    });
    client.mirrorDisplayTo(&mirrored);
  }
  startLogic(settings, data, nullptr, surface);
  if (!client.activate(std::cerr)) return 1;
  connector.connect(client.controlIn(), client.notesIn(), client.lcdOut());
  client.openDisplay();
  client.connectAudio(audio.deviceName(), std::cerr);
  if (!connector.failed()) waitForTheEnd(data, surface.outbox);

  client.awaitDisplay(1.0);
  client.close();
  mirrored.stop();
  if (client.serverGone()) {
    std::cerr << "tambrel: the JACK server went away (" << client.shutdownReason() << ")\n";
    return 1;
  }
  return connector.failed() ? 1 : 0;
}

// MIDI through the MIDI library's ports, audio through the audio library's stream. Returns the
// exit status.
int playOnLibraries(const Settings& settings, AudioOutput& audio, TickData& data,
                    Surface& surface) {
  // Messages are stamped on arrival from the first on, and placed on frames once the period is
  // known.
  data.timing.useClock(&LiveTiming::monotonicNow);
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
      mirrored = [&surface](const unsigned char* bytes, size_t size) {
        surface.mirror.accept(bytes, size);
      };
    surface.outbox.start(data.displayPortOut, mirrored);
    startLogic(settings, data, data.displayPortOut, surface);
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
      const unsigned int period = audio.open(callback, &data, data.channelCount);
      data.timing.setPeriod(settings.sampleRate, period);
      audio.dac().startStream();
      running = true;
    } catch (RtAudioError& error) {
      error.printMessage();
    }

    if (running) {
      waitForTheEnd(data, surface.outbox);
      try {
        audio.dac().closeStream();
      } catch (RtAudioError& error) {
        error.printMessage();
      }
    }
  }
  return ports.failed() ? 1 : 0;
}

} // namespace

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
  data.midiChannel = settings.noteChannel - 1;

  // The map's translator is in place before the control input's first message.
  std::unique_ptr<ControllerTranslator> translator;
  if (settings.controls) {
    translator.reset(new ControllerTranslator(*settings.controls));
    data.translator = translator.get();
  }

  Surface surface{mirror, console, outbox, files};
  const bool oneClient = settings.oneJackClient && settings.midiApi == RtMidi::UNIX_JACK &&
                         audio.dac().getCurrentApi() == RtAudio::UNIX_JACK;
  const int status = oneClient ? playOnJack(settings, audio, data, surface)
                               : playOnLibraries(settings, audio, data, surface);

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
  return status;
}
