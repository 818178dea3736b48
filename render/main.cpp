// tambrel-render: MIDI files and the built-in groove to audio files, without the controller.
#include "RenderCommand.h"

int main(int argc, char** argv) {
  return RenderCommand::main(argc, argv);
}
