// Option parsing with CLI11; conflicting options and bad values are usage errors (status 2).
#include "CommandLine.h"

#include <CLI/CLI.hpp>

#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <ostream>

#ifndef TAMBREL_VERSION
#define TAMBREL_VERSION "unknown"
#endif

namespace {

const std::map<std::string, RtMidi::Api> kMidiApis = {
    {"auto", RtMidi::UNSPECIFIED}, {"alsa", RtMidi::LINUX_ALSA}, {"jack", RtMidi::UNIX_JACK}};
const std::map<std::string, RtAudio::Api> kAudioApis = {{"auto", RtAudio::UNSPECIFIED},
                                                        {"jack", RtAudio::UNIX_JACK},
                                                        {"pulse", RtAudio::LINUX_PULSE},
                                                        {"alsa", RtAudio::LINUX_ALSA}};

const char* kDescription =
    "tambrel: a real-time drum synthesizer played and edited from a MIDI controller.\n"
    "Without options it opens the ReMOTE ZeRO SL as ALSA sequencer client 20 and plays through\n"
    "the default audio output at 44100 Hz.";

const char* kFooter =
    "A selector SEL names one MIDI port by, in this order: its full name as --list-ports\n"
    "prints it; CLIENT:N, port N of the client named CLIENT, whatever its client number; or a\n"
    "part of its name, in any case, leaving out a trailing client address (\" 20:0\", \" [20]\").\n"
    "A selector that names no port or several prints the candidates and ends with status 1.\n"
    "--list-ports runs alone (with --midi-api and --audio-api); --no-lcd and --lcd-out\n"
    "exclude each other. With --midi-api jack and the audio on JACK, tambrel is one JACK client\n"
    "(ports control, notes, lcd, outport 0, outport 1) and every note sounds on its own frame.\n"
    "--list-controller-maps runs alone; --learn-controller reads only the control input. With\n"
    "--controller-map and no --lcd-out, there is no display port.\n"
    "Exit status: 0 success, 1 failure, 2 usage error.";

} // namespace

int CommandLine::parse(int argc, const char* const* argv, Settings& settings, std::ostream& out,
                       std::ostream& err) {
  CLI::App app(kDescription, "tambrel");
  app.set_version_flag("--version", std::string("tambrel ") + TAMBREL_VERSION);
  app.get_formatter()->column_width(42);

  std::string controller, midiApi = "auto", audioApi = "auto";
  auto* list = app.add_flag("-l,--list-ports", settings.listPorts,
                            "List the MIDI inputs and outputs and the audio output devices, "
                            "then exit");
  auto* ctl = app.add_option("--controller", controller,
                             "Use the ReMOTE ZeRO SL whose MIDI client is named NAME, whatever "
                             "its client number (ports 1, 0 and 0)")
                  ->type_name("NAME");
  auto* control = app.add_option("--control-in", settings.controlIn,
                                 "The MIDI input of the controls (encoders, pots, buttons)")
                      ->type_name("SEL")
                      ->capture_default_str();
  auto* notes =
      app.add_option("--notes-in", settings.notesIn, "The MIDI input whose notes play the drums")
          ->type_name("SEL")
          ->capture_default_str();
  auto* lcd = app.add_option("--lcd-out", settings.lcdOut,
                             "The MIDI output to the controller's LCD and lights")
                  ->type_name("SEL")
                  ->capture_default_str();
  auto* virt =
      app.add_flag("--virtual", "Create own MIDI ports (tambrel: control, notes, lcd) to connect "
                                "anything to; a selector given is connected to them as well");
  auto* noLcd = app.add_flag("--no-lcd", "Run without a display port");
  app.add_option("--midi-api", midiApi, "MIDI back end")
      ->check(CLI::IsMember({"auto", "alsa", "jack"}).description(""))
      ->type_name("auto|alsa|jack")
      ->capture_default_str();
  app.add_option("--audio-api", audioApi, "Audio back end")
      ->check(CLI::IsMember({"auto", "jack", "pulse", "alsa"}).description(""))
      ->type_name("auto|jack|pulse|alsa")
      ->capture_default_str();
  auto* device = app.add_option("-d,--device", settings.device,
                                "Audio output device: its number in --list-ports, or a part of "
                                "its name (default: the back end's default output)")
                     ->type_name("N|SUBSTRING");
  auto* rate = app.add_option("-r,--sample-rate", settings.sampleRate, "Sample rate in Hz")
                   ->check(CLI::Range(8000u, 192000u).description(""))
                   ->type_name("HZ")
                   ->capture_default_str();
  auto* frames = app.add_option("-b,--buffer-frames", settings.bufferFrames,
                                "Frames per audio period asked for (the device may choose "
                                "another)")
                     ->check(CLI::Range(1u, 8192u).description(""))
                     ->type_name("N")
                     ->capture_default_str();
  auto* dir = app.add_option("--soundset-dir", settings.soundsetDir,
                             "Where the ten soundsets and the transfer file live (default: the "
                             "working directory)")
                  ->type_name("DIR");
  auto* channel = app.add_option("--channel", settings.noteChannel,
                                 "The MIDI channel whose notes play the drums at start-up")
                      ->check(CLI::Range(1, 16).description(""))
                      ->type_name("1..16")
                      ->capture_default_str();
  auto* jackName = app.add_option("--jack-name", settings.jackName,
                                  "The JACK client's name when MIDI and audio both run on JACK")
                       ->type_name("NAME")
                       ->capture_default_str();
  auto* map = app.add_option("--controller-map", settings.controllerMap,
                             "Read the control input through a controller map: a file (a path "
                             "with \"/\" or ending in .json) or a map's name")
                  ->type_name("FILE|NAME");
  auto* listMaps = app.add_flag("--list-controller-maps", settings.listControllerMaps,
                                "List the controller maps found by name, then exit");
  auto* learn = app.add_option("--learn-controller", settings.learnFile,
                               "Learn a controller map on the terminal from the control input "
                               "and write it to FILE")
                    ->type_name("FILE");
  auto* view = app.add_flag("--lcd-view", settings.lcdView,
                            "Show the controller's LCD on the terminal, redrawn in place");

  app.footer(kFooter);

  try {
    app.parse(argc, argv);
    // Options that only make sense for a run are refused with --list-ports; the display port
    // cannot be both absent and chosen.
    for (CLI::Option* runOnly : {ctl, control, notes, lcd, virt, noLcd, device, rate, frames, dir,
                                 channel, jackName, view, map, learn})
      if (list->count() > 0 && runOnly->count() > 0)
        throw CLI::ExcludesError("--list-ports", runOnly->get_name());
    if (noLcd->count() > 0 && lcd->count() > 0) throw CLI::ExcludesError("--no-lcd", "--lcd-out");
    // Listing maps runs alone; learning writes a map and plays nothing.
    for (CLI::Option* other :
         {list, ctl, control, notes, lcd, virt, noLcd, device, rate, frames, dir, view, map, learn})
      if (listMaps->count() > 0 && other->count() > 0)
        throw CLI::ExcludesError("--list-controller-maps", other->get_name());
    for (CLI::Option* other : {list, lcd, noLcd, device, rate, frames, dir, view, map})
      if (learn->count() > 0 && other->count() > 0)
        throw CLI::ExcludesError("--learn-controller", other->get_name());
  } catch (const CLI::CallForHelp&) {
    out << app.help();
    return 0;
  } catch (const CLI::CallForVersion& version) {
    out << version.what() << "\n";
    return 0;
  } catch (const CLI::ParseError& error) {
    err << "tambrel: " << error.what() << " (see --help)\n";
    return 2;
  }

  settings.midiApi = kMidiApis.at(midiApi);
  settings.audioApi = kAudioApis.at(audioApi);
  settings.sampleRateGiven = rate->count() > 0;
  settings.lcdPort = noLcd->count() == 0;
  const bool selectorGiven = ctl->count() + control->count() + notes->count() + lcd->count() > 0;
  if (virt->count() > 0) {
    settings.portSource = PortSource::Virtual;
  } else if (selectorGiven) {
    settings.portSource = PortSource::Selectors;
  }
  // --controller NAME stands for its three ports; a port given on its own replaces one of them.
  // With --virtual, only the selectors given are connected.
  if (ctl->count() > 0) {
    if (control->count() == 0) settings.controlIn = controller + ":1";
    if (notes->count() == 0) settings.notesIn = controller + ":0";
    if (lcd->count() == 0) settings.lcdOut = controller + ":0";
  } else if (settings.portSource == PortSource::Virtual) {
    if (control->count() == 0) settings.controlIn.clear();
    if (notes->count() == 0) settings.notesIn.clear();
    if (lcd->count() == 0) settings.lcdOut.clear();
  }
  // A controller with a map usually has no display of its own: without --lcd-out (or
  // --controller, which names one) it gets none, as with --no-lcd.
  if (map->count() > 0 && lcd->count() == 0 && ctl->count() == 0 &&
      settings.portSource != PortSource::Virtual)
    settings.lcdPort = false;
  if (!settings.lcdPort) settings.lcdOut.clear();
  return kRun;
}

int CommandLine::checkPlace(const Settings& settings, bool outputIsTerminal, std::ostream& err) {
  if (settings.lcdView && !outputIsTerminal) {
    err << "tambrel: --lcd-view needs a terminal on standard output\n";
    return 2;
  }
  if (!settings.soundsetDir.empty()) {
    struct stat info;
    if (stat(settings.soundsetDir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
      err << "tambrel: " << settings.soundsetDir << ": no such directory (--soundset-dir)\n";
      return 1;
    }
    if (access(settings.soundsetDir.c_str(), W_OK | X_OK) != 0)
      err << "tambrel: " << settings.soundsetDir
          << ": directory cannot be written; soundsets load but are not saved\n";
  }
  return kRun;
}
