// Holds a byte stream to a rate (a MIDI cable's) by a credit that grows with the frames played.
#ifndef TAMBREL_BYTEPACER_H
#define TAMBREL_BYTEPACER_H

#include <cstddef>
#include <cstdint>

class BytePacer {
public:
  // 31,250 baud at 10 bits a byte: what a MIDI cable carries.
  static constexpr double kCableBytesPerSecond = 3125.0;

  // Paces at bytesPerSecond at sampleRate (Hz); burstBytes is the most credit carried over
  // from the periods before (at least one whole message, so that every message can go).
  void limit(double bytesPerSecond, double sampleRate, double burstBytes) {
    bytesPerFrame_ = bytesPerSecond / sampleRate;
    burst_ = burstBytes;
    credit_ = burstBytes;
    limited_ = true;
  }
  bool limited() const { return limited_; }

  // Once per period, before allows(): frames is the period's length.
  void advance(uint32_t frames) {
    if (!limited_) return;
    // What was saved up while idle is capped; this period's share is always there to spend.
    if (credit_ > burst_) credit_ = burst_;
    credit_ += bytesPerFrame_ * frames;
  }
  // True when a message of `bytes` may go now; spend() then takes them from the credit.
  bool allows(size_t bytes) const { return !limited_ || credit_ >= static_cast<double>(bytes); }
  void spend(size_t bytes) {
    if (limited_) credit_ -= static_cast<double>(bytes);
  }

private:
  bool limited_ = false;
  double bytesPerFrame_ = 0.0;
  double burst_ = 0.0;
  double credit_ = 0.0;
};

#endif
