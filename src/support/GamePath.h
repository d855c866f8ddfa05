#pragma once
// Game paths: game data names files with "\" and relies on Windows ignoring letter case, so every
// lookup of a game file goes through resolve(). On Windows both are native: a path that exists in
// any letter case is found at once and comes back in the letter case given, with "/".

#include <string>

namespace GamePath {

// Existing path on disk for base + relative: "\" becomes "/" (in both parts), and each component
// that does not exist with its exact letter case is matched without regard to (ASCII) case.
// When nothing matches, base + relative with "\" turned to "/". A trailing "/" is kept.
std::string resolve(const std::string& base, const std::string& relative);

bool fileExists(const std::string& path);    // a regular file (symbolic links followed)
bool folderExists(const std::string& path);  // a directory (symbolic links followed)

// Every "\" turned into "/".
std::string toSlashes(std::string path);

// A path as this platform writes it for a user: parts joined by "\" on Windows, by "/" elsewhere
// (the "\" of a game path included).
std::string shown(std::string path);

// The part after the last "/" or "\" (the whole text when there is none).
std::string fileName(const std::string& path);

// Path with the extension of its file name (from the last "." after the last separator)
// replaced by `extension` (given with its dot, e.g. ".DDS"); appended when there is none.
std::string changeExtension(const std::string& path, const std::string& extension);

}  // namespace GamePath
