// tambrel-soundset: soundset files as text, checked, compared and converted.
#include "SoundsetTool.h"

#include <iostream>

int main(int argc, char** argv) {
  return stk::SoundsetTool(std::cout, std::cerr).run(argc, argv);
}
