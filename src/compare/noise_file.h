// The noise list a compare run holds its registry values and deep entries against
// (logic/noise_list.h): the built-in rules, Wine's too when the program runs under Wine,
// and the user's own rules in tessary-noise.txt beside the settings file, a file the
// program only reads (docs/noise.md).
#pragma once

#include <string>
#include <vector>

#include "compare/logic/noise_list.h"

namespace tessary {

struct LoadedNoise {
  NoiseList list;
  std::string userFile;               // the user's file, whether or not it is there
  std::vector<std::string> refused;   // its lines that are no rule ("line N: text")
};

// The user's file of `settingsPath` (the folder of tessary.ini, "tessary-noise.txt").
std::string NoiseFilePathFor(const std::string& settingsPath);

// Whether the program runs under Wine.
bool RunningUnderWine();

LoadedNoise LoadNoiseList(const std::string& settingsPath);

}  // namespace tessary
