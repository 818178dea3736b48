// Five-stage linear envelope of the drum voice, stepped once per sample in 32-bit float.
#ifndef TAMBREL_GLIMBER_H
#define TAMBREL_GLIMBER_H

class Glimber {
public:
  // Stages, numbered as the library's ADSR numbers them.
  static constexpr int ATTACK = 0;
  static constexpr int DECAY = 1;
  static constexpr int SUSTAIN = 2;
  static constexpr int RELEASE = 3;
  static constexpr int IDLE = 4;

  explicit Glimber(float sampleRate);
  ~Glimber();

  // Climbs to 1 from the current value.
  void keyOn();
  // Falls to 0 from the current value.
  void keyOff();

  float tick() {
    switch (state) {
    case ATTACK:
      value = value + attackRate;
      if (value >= target) {
        value = target;
        target = sustainLevel;
        state = DECAY;
      }
      return value;
    case DECAY:
      value = value - decayRate;
      if (sustainLevel >= value) {
        value = sustainLevel;
        state = SUSTAIN;
      }
      return value;
    case RELEASE: {
      float next = value - releaseRate;
      // A NaN value fails this test too, so a release always ends idle at 0.
      if (next > 0.0f) {
        value = next;
        return value;
      }
      value = 0.0f;
      state = IDLE;
      return 0.0f;
    }
    default:
      return value;
    }
  }

  int state;
  float target;
  float value;
  // Steps per sample; the owner converts its settings into them.
  float attackRate;
  float decayRate;
  float sustainLevel;
  float releaseRate;
  float sampleRate; // Hz, kept for the owner; the envelope never reads it
};

#endif
