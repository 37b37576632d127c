#pragma once
// Where the start window looks for installations of the game: the publisher's
// registry key, the game's uninstall entry and the current directory.

#include <string>
#include <vector>

namespace Ui {
class FileSelector;
}

namespace Start {

// A candidate folder as listed: '/' becomes '\', a drive letter is upper-cased and
// a trailing '\' is added when missing.
std::string normalise_installation_folder(std::string folder);

// Every candidate in order, normalised. The same folder may occur more than once; the
// module selector lists a folder once, whatever its letter case.
std::vector<std::string> installation_folders();

// Adds every candidate of installation_folders() to `selector`, in order. Registry
// failures only skip a candidate.
void find_installation_folders(Ui::FileSelector& selector);

} // namespace Start
