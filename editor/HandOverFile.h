// The file the main program hands an icon over in: "temp$$$.ico" in the programs' own folder.
// The editor deletes that one file once it has read it, and never any other.
#pragma once

#include <string>

extern const char* const HandOverFileName;   // "temp$$$.ico"

// `path` made absolute, with the long form of every name that exists, so that a short (8.3)
// spelling and a long one of the same file come out alike; case is left as it is.
std::string NormalisedPath(const std::string& path);

// Whether `path` names exactly the hand-over file in `programFolder`: the full, normalised paths
// compared without regard to case. A look-alike name, the same name elsewhere or a link of the
// file system of that name is not it.
bool IsHandOverFile(const std::string& path, const std::string& programFolder);
