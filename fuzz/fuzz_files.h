// Helpers shared by the fuzz targets: a private scratch folder per fuzzing process, and
// writing an input's bytes to a file there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zenta::fuzz {

// A folder of this process's own, made on first use and left for the system to clean.
const std::string& ScratchDir();

// Writes the bytes to `path`, replacing the file; aborts when the file cannot be written.
void WriteBytes(const std::string& path, const std::uint8_t* data, std::size_t size);

}  // namespace zenta::fuzz
