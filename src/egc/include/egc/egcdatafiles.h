// Where the game's data files (pictures, samples, music, the score file) are found.
#pragma once

#include <string>
#include <vector>

// The folders searched, in order: the working directory first, then the installed data folder
// found relative to the executable (the build tree's data/ beside bin/, or <prefix>/share/vorplex
// once installed).
std::vector<std::string> egcDataDirectories();

// The path of the first existing file of that name in egcDataDirectories(). A file found
// nowhere raises an "Error" that names the file and every folder searched.
std::string egcFindDataFile(const std::string& name);
