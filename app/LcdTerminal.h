// Shows an LcdMirror at the top of the terminal, redrawn in place from a thread of its own at
// most 30 times a second; the program's other lines scroll in the region below it.
#ifndef TAMBREL_LCDTERMINAL_H
#define TAMBREL_LCDTERMINAL_H

#include "LcdMirror.h"

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

class LcdTerminal {
public:
  static constexpr int kLines = 7;            // terminal lines the picture takes: frame and rows
  static constexpr int kFramesPerSecond = 30; // redraws at most

  // Draws on `out`, a terminal understanding ANSI (VT100) sequences.
  LcdTerminal(const LcdMirror& mirror, FILE* out);
  ~LcdTerminal();
  LcdTerminal(const LcdTerminal&) = delete;
  LcdTerminal& operator=(const LcdTerminal&) = delete;

  // Clears the screen, draws the picture and confines scrolling to the lines below it, then
  // redraws whenever the mirror changes.
  void start();
  // Draws the last picture, gives the whole screen back to scrolling and puts the cursor at
  // its bottom. Nothing happens when not started.
  void stop();

  // Redraws so far.
  int redraws() const;
  // What one redraw writes: the framed rows at the top lines, the cursor kept where it was.
  static std::string picture(const LcdMirror::Rows& rows);

private:
  void run();
  void draw();

  const LcdMirror& mirror_;
  FILE* out_;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  int redraws_ = 0;
};

#endif
