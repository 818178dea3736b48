// Where controller maps live: a path as given, or a name looked up in the user's folder
// ($XDG_CONFIG_HOME/tambrel/controllers) and then in the installed (or built) share folder.
#ifndef TAMBREL_CONTROLLERMAPLIBRARY_H
#define TAMBREL_CONTROLLERMAPLIBRARY_H

#include <iosfwd>
#include <string>
#include <vector>

class ControllerMap;

class ControllerMapLibrary {
public:
  // The user's folder ($HOME/.config when XDG_CONFIG_HOME is unset); "" without either.
  static std::string userFolder();
  // The running program's shipped maps: <program's folder>/<TAMBREL_CONTROLLERS_FROM_BIN>, else
  // the build tree's when the program was built there; "" when neither exists.
  static std::string shareFolder();

  // The file an argument names: itself when it contains "/" or ends in ".json", else NAME.json
  // from the first folder that has it. False with one line saying where it was looked for.
  static bool resolve(const std::string& argument, std::string& path, std::string& error);
  // Resolves and reads the map; false with one line naming the file, the place and the fault.
  static bool open(const std::string& argument, ControllerMap& map, std::string& error);

  // One line per map of both folders: its name, its own title and its file; a name of the user's
  // hides the shipped map of that name. Returns the exit status (0).
  static int list(std::ostream& out);

private:
  static std::vector<std::string> namesIn(const std::string& folder);
};

#endif
