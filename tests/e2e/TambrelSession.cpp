// Start-up, playing and listening helpers of an end-to-end run.
#include "TambrelSession.h"

#include <cctype>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

namespace {
using Clock = std::chrono::steady_clock;

const unsigned char kLcdTextHeader[12] = {0xF0, 0x00, 0x20, 0x29, 0x03, 0x03,
                                          0x20, 0x02, 0x01, 0x00, 0x02, 0x01};

template <typename Predicate> bool waitFor(Predicate done, double timeoutSeconds) {
  const auto deadline = Clock::now() + std::chrono::duration<double>(timeoutSeconds);
  while (!done()) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}
} // namespace

bool parseLcdText(const VirtualController::Event& event, LcdText& text) {
  const auto& b = event.bytes;
  if (b.size() < 16 || b.back() != 0xF7 || b[14] != 0x04) return false;
  for (int i = 0; i < 12; ++i)
    if (b[i] != kLcdTextHeader[i]) return false;
  text.column = b[12];
  text.row = b[13];
  text.text.assign(b.begin() + 15, b.end() - 1);
  text.frame = event.frame;
  return true;
}

bool isKnownDisplayMessage(const std::vector<unsigned char>& bytes) {
  using Bytes = std::vector<unsigned char>;
  static const Bytes known[] = {
      {0xF0, 0x00, 0x20, 0x29, 0x03, 0x03, 0x22, 0x03, 0x01, 0x00, 0x01, 0x01, 0xF7},
      {0xF0, 0x00, 0x20, 0x29, 0x03, 0x03, 0x22, 0x03, 0x01, 0x00, 0x02, 0x02, 0x04, 0xF7},
      {0xF0, 0x00, 0x20, 0x29, 0x03, 0x03, 0x22, 0x03, 0x01, 0x00, 0x02, 0x02, 0x05, 0xF7},
      {0xB0, 0x60, 0x1F},
      {0xB0, 0x61, 0x07}};
  for (const Bytes& message : known)
    if (bytes == message) return true;
  return false;
}

TambrelSession::TambrelSession(double recordSeconds, int eventsPerCycle,
                               const std::string& controllerName)
    : controller_(recordSeconds, eventsPerCycle, controllerName) {}

TambrelSession::~TambrelSession() {
  // The program goes first, so that no client is dying when the server stops.
  if (program_.running()) program_.interrupt(5);
  controller_.close();
}

void TambrelSession::writeWorkFile(const std::string& name,
                                   const std::vector<unsigned char>& bytes) {
  std::ofstream out(program_.workDir() + "/" + name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<unsigned char> TambrelSession::readWorkFile(const std::string& name) const {
  const std::string text = readFile(program_.workDir() + "/" + name);
  return std::vector<unsigned char>(text.begin(), text.end());
}

bool TambrelSession::start(const std::string& serverName,
                           const std::vector<std::string>& runnerArgs) {
  const std::string client = controller_.clientName();
  std::vector<std::string> args = {client + ":1", client + ":0",
                                   client + ":" + VirtualController::kDisplayPort};
  args.insert(args.end(), runnerArgs.begin(), runnerArgs.end());
  return startProgram(serverName, runnerPath(), args);
}

bool TambrelSession::startProgram(const std::string& serverName, const std::string& executable,
                                  const std::vector<std::string>& args) {
  if (!controller_.open(serverName)) return false;
  for (int attempt = 0; attempt < 3; ++attempt) {
    const std::uint64_t startFrame = controller_.framesProcessed();
    const std::uint64_t xrunsBefore = controller_.xruns();
    if (!program_.start(executable, args, serverName)) return false;
    if (!controller_.connectProgramAudio(20)) {
      std::fprintf(stderr, "program output so far:\n%s\n%s\n", program_.standardOutput().c_str(),
                   program_.standardError().c_str());
      return false;
    }
    if (waitForStartUpRefresh(startFrame, 10)) {
      startFrame_ = startFrame;
      return true;
    }
    if (controller_.xruns() == xrunsBefore) {
      std::fprintf(stderr, "the start-up refresh never ended on the display\n");
      return false;
    }
    // The server may drop MIDI between clients while the graph changes (it reports an xrun
    // then): the start-up display was lost on the way, not sent wrong. Start again.
    std::fprintf(stderr, "start-up display lost with %llu xruns; starting the program again\n",
                 (unsigned long long)(controller_.xruns() - xrunsBefore));
    ++restarts_;
    program_.interrupt(5);
  }
  return false;
}

bool TambrelSession::waitForStartUpRefresh(std::uint64_t sinceFrame, double timeoutSeconds) {
  // The refresh ends by pressing Chanl, which shows the channel (09 unless --channel says
  // otherwise), and releasing it, which blanks
  // the channel field; every assign button's release before it blanks the field too.
  return waitFor(
      [&] {
        bool channelShown = false;
        for (const auto& event : controller_.displayMessages()) {
          LcdText text;
          if (event.frame < sinceFrame || !parseLcdText(event, text) || text.row != 2 ||
              text.column != 5)
            continue;
          if (text.text.size() == 2 && std::isdigit(static_cast<unsigned char>(text.text[0])) &&
              std::isdigit(static_cast<unsigned char>(text.text[1])))
            channelShown = true;
          if (text.text == "  " && channelShown) return true;
        }
        return false;
      },
      timeoutSeconds);
}

bool TambrelSession::interrupt(double timeoutSeconds) {
  return program_.interrupt(timeoutSeconds);
}

void TambrelSession::note(std::vector<unsigned char> bytes) {
  controller_.send(VirtualController::kNotePort, std::move(bytes));
}

void TambrelSession::control(int controller, int value) {
  controller_.send(VirtualController::kControlPort, {0xB0, static_cast<unsigned char>(controller),
                                                     static_cast<unsigned char>(value)});
}

bool TambrelSession::waitUntilFrame(std::uint64_t frame, double timeoutSeconds) {
  return waitFor([&] { return controller_.framesProcessed() >= frame; }, timeoutSeconds);
}

bool TambrelSession::waitForSent(double timeoutSeconds) {
  return waitFor([&] { return controller_.pendingSends() == 0; }, timeoutSeconds);
}

std::uint64_t TambrelSession::secondsToFrames(double seconds) const {
  return std::uint64_t(seconds * controller_.sampleRate());
}

long long TambrelSession::firstSound(std::uint64_t from, std::uint64_t to) const {
  const std::vector<float> samples = controller_.recording(from, to);
  for (std::size_t i = 0; i < samples.size(); ++i)
    if (samples[i] != 0.0f) return static_cast<long long>(from + i);
  return -1;
}

bool TambrelSession::waitForSilence(std::uint64_t frames, double timeoutSeconds) {
  return waitFor(
      [&] {
        const std::uint64_t end = controller_.framesProcessed();
        return end >= frames && firstSound(end - frames, end) < 0;
      },
      timeoutSeconds);
}

std::vector<LcdText> TambrelSession::lcdTextsSince(std::uint64_t frame) const {
  std::vector<LcdText> texts;
  for (const auto& event : controller_.displayMessages()) {
    LcdText text;
    if (event.frame >= frame && parseLcdText(event, text)) texts.push_back(text);
  }
  return texts;
}

bool TambrelSession::waitForLcd(int row, int column, const std::string& text,
                                std::uint64_t sinceFrame, double timeoutSeconds) {
  return waitFor(
      [&] {
        for (const LcdText& seen : lcdTextsSince(sinceFrame))
          if (seen.row == row && seen.column == column && seen.text == text) return true;
        return false;
      },
      timeoutSeconds);
}

std::vector<VirtualController::Event> TambrelSession::unknownDisplayMessages() const {
  std::vector<VirtualController::Event> unknown;
  for (const auto& event : controller_.displayMessages()) {
    LcdText text;
    if (!parseLcdText(event, text) && !isKnownDisplayMessage(event.bytes)) unknown.push_back(event);
  }
  return unknown;
}

std::string runnerPath() {
  return TAMBREL_E2E_RUNNER;
}
