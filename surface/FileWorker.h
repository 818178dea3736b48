// Soundset and transfer file work for the audio thread, done on a thread of its own, in order.
#ifndef TAMBREL_FILEWORKER_H
#define TAMBREL_FILEWORKER_H

#include "SoundsetFormat.h"
#include "SpscRing.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

namespace stk {

// One piece of file work: a save carries the file's bytes, a load names what to read.
struct FileRequest {
  enum Kind : unsigned char { kSaveSoundset, kSaveTransfer, kLoadSoundset, kLoadTransfer };
  Kind kind;
  int number; // the soundset number 0 .. 9; for a transfer load, the drum it is for
  size_t size;
  unsigned char bytes[SoundsetFormat::kSoundsetBytes];
};

// What a load found: the file's first bytes (at most the layout's length), or nothing.
struct FileResult {
  FileRequest::Kind kind;
  int number;
  bool found; // false: the file could not be opened or read
  size_t size;
  unsigned char bytes[SoundsetFormat::kSoundsetBytes];
};

class FileWorker {
public:
  // Files live in `directory` ("" is the working directory).
  explicit FileWorker(const std::string& directory);
  ~FileWorker();
  FileWorker(const FileWorker&) = delete;
  FileWorker& operator=(const FileWorker&) = delete;

  // Audio thread. Never blocks or allocates. Requests are done in the order posted; one that
  // the ring cannot take waits in a slot of its own (a newer save of the same file replaces it:
  // the file still ends as the newest content) and goes with the next post or flush.
  void post(const FileRequest& request);
  void flush();
  // Audio thread: the result of the oldest load done, if any.
  bool takeResult(FileResult& result);
  // Audio thread: saves posted so far.
  uint64_t savesPosted() const { return savesPosted_; }

  // Does one request on the calling thread: a save replaces the file (a failure is printed on
  // standard error, the old file stays); a load fills `result`.
  static void perform(const std::string& directory, const FileRequest& request, FileResult* result);

  // Worker side: does every request in the ring now. start() runs this on a thread of its
  // own; stop() does everything still posted (waiting slots included), then ends the thread.
  void performPending();
  void start();
  void stop();

  // Called on the worker before each request (tests use it to stall the disk).
  std::function<void(const FileRequest&)> beforeEach;

private:
  static constexpr size_t kRequests = 64;
  static constexpr size_t kResults = 4;
  // Waiting slots: a save for each soundset number 0 .. 9, one for the transfer file, one load.
  static constexpr int kTransferSlot = 10;
  static constexpr int kLoadSlot = 11;
  static int slotOf(const FileRequest& request);

  std::string directory_;
  SpscRing<FileRequest, kRequests> requests_;
  SpscRing<FileResult, kResults> results_;
  FileRequest waiting_[12];
  bool isWaiting_[12] = {};
  int waitingCount_ = 0;
  uint64_t savesPosted_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread worker_;
};

} // namespace stk

#endif
