// Small readers for sysfs and procfs files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace platform::linux_backend {

// Whole file, or nullopt when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);
// First line with surrounding blanks removed; empty when unreadable.
std::string ReadAttribute(const std::filesystem::path& path);
// Unsigned decimal attribute; nullopt when missing or not a number.
std::optional<std::uint64_t> ReadNumber(const std::filesystem::path& path);
// "MAJOR:MINOR" as in the "dev" attribute.
bool ParseMajorMinor(const std::string& text, unsigned* major, unsigned* minor);

}  // namespace platform::linux_backend
