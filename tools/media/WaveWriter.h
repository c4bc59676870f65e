// Writes mono 16-bit PCM wave files for the program's generated sounds.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

bool writeMonoWave(const std::filesystem::path& path, int sampleRate,
                   const std::vector<std::int16_t>& samples);
