// The terminal is read key by key (no echo, no line editing) while it is one; the messages reach
// the main thread through a ring, so the MIDI thread never waits for the terminal.
#include "LearnSession.h"

#include "MidiPortOpener.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>

namespace {

std::atomic<bool> interrupted{false};

void onInterrupt(int) {
  interrupted = true;
}

// Key by key without echo while it lives, when standard input is a terminal.
class RawTerminal {
public:
  RawTerminal() {
    if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &saved_) != 0) return;
    termios raw = saved_;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    active_ = tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
  }
  ~RawTerminal() {
    if (active_) tcsetattr(STDIN_FILENO, TCSANOW, &saved_);
  }
  RawTerminal(const RawTerminal&) = delete;
  RawTerminal& operator=(const RawTerminal&) = delete;

private:
  termios saved_{};
  bool active_ = false;
};

} // namespace

LearnSession::LearnSession(const Settings& settings, std::ostream& out, std::ostream& err)
    : settings_(settings), out_(out), err_(err) {}

void LearnSession::onMessage(double, std::vector<unsigned char>* bytes, void* self) {
  if (!bytes || bytes->empty() || bytes->size() > 3) return;
  Raw raw;
  raw.size = static_cast<uint8_t>(bytes->size());
  for (size_t i = 0; i < bytes->size(); ++i)
    raw.bytes[i] = (*bytes)[i];
  static_cast<LearnSession*>(self)->incoming_.push(raw); // a full ring loses the message
}

int LearnSession::readKey(int timeoutMs) {
  pollfd input{STDIN_FILENO, POLLIN, 0};
  if (poll(&input, 1, timeoutMs) <= 0) return 0;
  char key = 0;
  if (read(STDIN_FILENO, &key, 1) != 1) return -1;
  return key;
}

void LearnSession::describe(const ControlBinding& binding) {
  out_ << "  " << ControlTable::at(binding.control).name << ": "
       << (binding.message == MessageKind::Note ? "note " : "cc ") << binding.number
       << " on channel " << binding.channel + 1;
  if (binding.kind != ControlKind::Button) out_ << ", " << encodingName(binding.encoding);
  out_ << "\n" << std::flush;
}

int LearnSession::run() {
  MidiPortOpener ports(settings_, out_, err_);
  std::unique_ptr<RtMidiIn> input(ports.openControlIn());
  if (!input) {
    err_ << "tambrel: the control input could not be opened; nothing learned\n";
    return 1;
  }
  input->setCallback(&LearnSession::onMessage, this);
  std::signal(SIGINT, onInterrupt);

  out_ << "Learning a controller map for " << settings_.learnFile << ".\n"
       << "Turn each knob right, then left (three steps or more each way); press each button "
          "or pad. Enter skips a control, q saves what was learned and ends.\n"
       << std::flush;
  ControllerMap map;
  map.name = std::filesystem::path(settings_.learnFile).stem().string();
  map.comment = "Learned with tambrel --learn-controller";
  ControllerLearner learner;
  RawTerminal terminal;
  bool quit = false;
  for (int control = 0; control < ControlTable::kCount && !quit && !interrupted; ++control) {
    const ControlInfo& info = ControlTable::at(control);
    if (info.kind == ControlKind::Button)
      out_ << "Press " << info.prompt << ".\n";
    else
      out_ << "Turn " << info.prompt << " right, then left.\n";
    out_ << std::flush;
    learner.begin(control, map);
    Raw raw;
    while (incoming_.pop(raw)) {
      // what arrived before the question (a release, a knob still turning) answers nothing
    }
    for (bool answered = false; !answered && !interrupted;) {
      const int key = readKey(20);
      if (key == 'q' || key == 'Q' || key < 0) {
        quit = true;
        break;
      }
      if (key == '\n' || key == '\r') {
        out_ << "  skipped\n" << std::flush;
        break;
      }
      while (!answered && incoming_.pop(raw))
        answered = learner.feed(raw.bytes, raw.size);
      if (!answered) continue;
      std::string error;
      if (map.add(learner.learned(), error))
        describe(map.bindings().back());
      else
        out_ << "  not taken: " << error << "\n";
    }
  }
  input->cancelCallback();
  input.reset();
  if (interrupted) {
    err_ << "tambrel: interrupted; " << settings_.learnFile << " not written\n";
    return 1;
  }

  std::string error;
  if (!write(map, settings_.learnFile, error)) {
    err_ << "tambrel: " << error << "\n";
    return 1;
  }
  out_ << map.bindings().size() << " controls written to " << settings_.learnFile << "\n";
  return 0;
}

bool LearnSession::write(const ControllerMap& map, const std::string& path, std::string& error) {
  const std::string temporary = path + ".part";
  // The user's folder of maps may not exist before the first map.
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  std::error_code ignored;
  if (!folder.empty()) std::filesystem::create_directories(folder, ignored);
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file << map.toJson();
    file.flush();
    if (!file) {
      error = path + ": cannot be written";
      std::remove(temporary.c_str());
      return false;
    }
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    error = path + ": cannot be written";
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}
