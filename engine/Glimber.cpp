// Five-stage linear envelope: construction and key events.
#include "Glimber.h"

Glimber::Glimber(float sampleRate)
    : state(IDLE), target(0.0f), value(0.0f), attackRate(0.05f), decayRate(0.05f),
      sustainLevel(0.7f), releaseRate(0.05f), sampleRate(sampleRate) {}

Glimber::~Glimber() {}

void Glimber::keyOn() {
  target = 1.0f;
  state = ATTACK;
}

void Glimber::keyOff() {
  target = 0.0f;
  state = RELEASE;
}
