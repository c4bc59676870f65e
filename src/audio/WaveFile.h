// What the handheld and the sound output can play: a RIFF WAVE file with its format and data.
#pragma once

#include <string>

// True for a file that begins as a RIFF WAVE and holds a "fmt " and a "data" chunk within it.
bool isRiffWave(const std::string& path);
