#pragma once
// The simulated pager's memory kept in a code-plug file: the raw 2048 bytes.

#include <filesystem>
#include <optional>

#include "codeplug/CodePlugImage.h"

namespace km640 {

// The first 2048 bytes of the file; empty if it cannot be read or is shorter.
std::optional<CodePlugImage> LoadMemoryFile(const std::filesystem::path& path);
// Replaces the file in one step, so a reader never sees half a memory.
bool SaveMemoryFile(const std::filesystem::path& path, const CodePlugImage& memory);

}  // namespace km640
