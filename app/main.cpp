// tambrel: a real-time drum synthesizer played and edited from a Novation ReMOTE ZeRO SL.
#include "tambrel.h"

int main() {
  return runTambrel(ControllerPorts());
}
