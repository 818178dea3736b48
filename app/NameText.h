// Small tests and folds of port and device names, shared by the lookups.
#ifndef TAMBREL_NAMETEXT_H
#define TAMBREL_NAMETEXT_H

#include <string>

class NameText {
public:
  // True for a non-empty text of ASCII digits only.
  static bool allDigits(const std::string& text);
  // The text with ASCII letters in lower case.
  static std::string lowerCase(std::string text);
};

#endif
