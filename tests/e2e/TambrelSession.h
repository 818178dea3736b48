// One run of the program against the virtual controller on a given JACK server: start-up,
// playing, listening, and the interrupt that ends it.
#ifndef TAMBREL_TESTS_E2E_TAMBRELSESSION_H
#define TAMBREL_TESTS_E2E_TAMBRELSESSION_H

#include "ProgramProcess.h"
#include "VirtualController.h"

#include <cstdint>
#include <string>
#include <vector>

// One LCD text message as the controller received it.
struct LcdText {
  int row = 0;
  int column = 0;
  std::string text;
  std::uint64_t frame = 0;
};

// Parses an LCD text message; false for any other message.
bool parseLcdText(const VirtualController::Event& event, LcdText& text);
// True for the messages the display driver sends other than LCD texts.
bool isKnownDisplayMessage(const std::vector<unsigned char>& bytes);

class TambrelSession {
public:
  TambrelSession(double recordSeconds, int eventsPerCycle = 64,
                 const std::string& controllerName = VirtualController::kClientName);
  ~TambrelSession();

  // Files the program finds in its working directory at start.
  void writeWorkFile(const std::string& name, const std::vector<unsigned char>& bytes);
  std::vector<unsigned char> readWorkFile(const std::string& name) const;

  // Opens the controller on the server, starts the program, connects its audio and waits for
  // the display refresh of start-up to end. When the refresh is lost under xruns the program
  // is started again (up to three attempts). Prints what went wrong on failure.
  bool start(const std::string& serverName, const std::vector<std::string>& runnerArgs = {});
  // The same with any executable and its whole argument list (the program with its options).
  bool startProgram(const std::string& serverName, const std::string& executable,
                    const std::vector<std::string>& args);
  // Waits for the last LCD text of the display refresh that start-up runs.
  bool waitForStartUpRefresh(std::uint64_t sinceFrame, double timeoutSeconds);
  // Times the program had to be started again because its start-up display was lost.
  int restarts() const { return restarts_; }
  // The controller's frame when the program that runs now was started.
  std::uint64_t startFrame() const { return startFrame_; }
  // SIGINT; true when the program ended within the timeout.
  bool interrupt(double timeoutSeconds = 5);

  VirtualController& controller() { return controller_; }
  ProgramProcess& program() { return program_; }

  void note(std::vector<unsigned char> bytes);
  void control(int controller, int value);
  // Blocks until the controller's clock reaches frame.
  bool waitUntilFrame(std::uint64_t frame, double timeoutSeconds = 10);
  bool waitForSent(double timeoutSeconds = 10);
  std::uint64_t now() const { return controller_.framesProcessed(); }
  std::uint64_t secondsToFrames(double seconds) const;

  // First frame in [from, to) with a non-zero sample, or -1.
  long long firstSound(std::uint64_t from, std::uint64_t to) const;
  // Waits until the last `frames` recorded frames are all zero.
  bool waitForSilence(std::uint64_t frames, double timeoutSeconds);

  // LCD texts received at or after frame.
  std::vector<LcdText> lcdTextsSince(std::uint64_t frame) const;
  // Waits for an LCD text at row and column, received at or after frame.
  bool waitForLcd(int row, int column, const std::string& text, std::uint64_t sinceFrame,
                  double timeoutSeconds);
  // Display messages that are neither an LCD text nor another message of the display driver.
  std::vector<VirtualController::Event> unknownDisplayMessages() const;

private:
  VirtualController controller_;
  ProgramProcess program_;
  int restarts_ = 0;
  std::uint64_t startFrame_ = 0;
};

// The runner executable, built beside the tests.
std::string runnerPath();

#endif
