// The sounds folder's one rule: every sound the editor holds is a file "<title>.wav" there, one
// file for each name in any letter case.
#pragma once

#include "catalog/SoundTheme.h"

#include <functional>
#include <string>
#include <vector>

// The extension of every sound in the sounds folder.
inline constexpr const char* WaveExtension = ".wav";

// The wave's name for a sound picked or read under fileName: its title with ".wav", as a theme
// and the handheld can hold it.
std::string waveNameFor(const std::string& fileName);

// Makes every sound of a theme just extracted into folder a file "<title>.wav": another
// extension is converted (a wave the handheld plays is only renamed), and a file whose name
// differs from another's only in case gets a name of its own. Returns a line for each sound that
// could not be made a wave; its events then have no sound. convert writes the wave of a source at
// a target as convertToHandheldWave does, and raises as it does.
using WaveConversion = std::function<void(const std::string& source, const std::string& target)>;
std::vector<std::string> keepSoundsAsWaves(SoundTheme& theme, const std::string& folder,
                                           const WaveConversion& convert);
