// The file worker: saves and loads posted by the audio thread, done in order on another thread.
#include "FileWorker.h"

#include "SoundsetFile.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

namespace stk {

namespace {
// How long the worker sleeps when there is nothing to do.
constexpr std::chrono::milliseconds kIdleWait{1};

bool isSave(const FileRequest& request) {
  return request.kind == FileRequest::kSaveSoundset || request.kind == FileRequest::kSaveTransfer;
}
} // namespace

FileWorker::FileWorker(const std::string& directory) : directory_(directory) {}

FileWorker::~FileWorker() {
  stop();
}

int FileWorker::slotOf(const FileRequest& request) {
  switch (request.kind) {
  case FileRequest::kSaveSoundset:
    return request.number >= 0 && request.number < 10 ? request.number : kTransferSlot;
  case FileRequest::kSaveTransfer:
    return kTransferSlot;
  default:
    return kLoadSlot;
  }
}

void FileWorker::post(const FileRequest& request) {
  if (isSave(request)) ++savesPosted_;
  flush();
  // Behind anything still waiting, so that the order of work on each file is kept.
  if (waitingCount_ == 0 && requests_.push(request)) return;
  const int slot = slotOf(request);
  if (!isWaiting_[slot]) ++waitingCount_;
  isWaiting_[slot] = true;
  waiting_[slot] = request;
}

void FileWorker::flush() {
  // Saves first: a load waits for every save posted before it.
  for (int slot = 0; slot < 12 && waitingCount_ > 0; ++slot) {
    if (!isWaiting_[slot]) continue;
    if (slot == kLoadSlot && waitingCount_ > 1) return;
    if (!requests_.push(waiting_[slot])) return;
    isWaiting_[slot] = false;
    --waitingCount_;
  }
}

bool FileWorker::takeResult(FileResult& result) {
  return results_.pop(result);
}

void FileWorker::perform(const std::string& directory, const FileRequest& request,
                         FileResult* result) {
  const bool soundset =
      request.kind == FileRequest::kSaveSoundset || request.kind == FileRequest::kLoadSoundset;
  const std::string path =
      SoundsetFile::inDirectory(directory, soundset ? SoundsetFile::soundsetName(request.number)
                                                    : SoundsetFile::kTransferName);
  std::string error;
  if (isSave(request)) {
    if (!SoundsetFile::replace(path, request.bytes, request.size, &error))
      std::fprintf(stderr, "tambrel: %s not saved: %s\n", path.c_str(), error.c_str());
    return;
  }
  if (!result) return;
  result->kind = request.kind;
  result->number = request.number;
  const size_t limit = soundset ? SoundsetFormat::kSoundsetBytes : SoundsetFormat::kTransferBytes;
  std::vector<unsigned char> bytes;
  result->found = SoundsetFile::read(path, limit, bytes);
  result->size = result->found ? bytes.size() : 0;
  if (result->size > 0) std::memcpy(result->bytes, bytes.data(), result->size);
}

void FileWorker::performPending() {
  while (const FileRequest* request = requests_.front()) {
    if (beforeEach) beforeEach(*request);
    if (isSave(*request)) {
      perform(directory_, *request, nullptr);
    } else {
      FileResult result;
      perform(directory_, *request, &result);
      // The audio thread takes each result before it posts another load, so there is room;
      // once stopping, nobody takes it any more.
      while (!results_.push(result) && !stopping_.load())
        std::this_thread::sleep_for(kIdleWait);
    }
    requests_.pop();
  }
}

void FileWorker::start() {
  stopping_ = false;
  worker_ = std::thread([this] {
    for (;;) {
      const bool stopping = stopping_.load();
      const bool idle = requests_.empty();
      performPending();
      if (idle) {
        if (stopping) return;
        std::this_thread::sleep_for(kIdleWait);
      }
    }
  });
}

void FileWorker::stop() {
  if (worker_.joinable()) {
    stopping_ = true;
    worker_.join();
  }
  // Requests still waiting for room: the audio thread has stopped, so they are ours now.
  stopping_ = true;
  performPending();
  while (waitingCount_ > 0) {
    flush();
    performPending();
  }
}

} // namespace stk
