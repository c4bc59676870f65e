// Copying bytes between files on the PC with as few system calls as the platform allows.
#pragma once

#include <cstdint>
#include <filesystem>

enum class PartCopy { Whole, TargetNotCreated, Incomplete };

// Writes count bytes of from, read from offset on, as the whole of to (created, or emptied first).
[[nodiscard]] PartCopy copyFilePart(const std::filesystem::path& from, std::uint64_t offset,
                                    std::uint64_t count, const std::filesystem::path& to);
