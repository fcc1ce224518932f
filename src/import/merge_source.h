// The archive a merge reads from, named as the user picked it: a compressed archive (".znt")
// is unpacked first into the private cache folder; then a native archive is opened as it is
// and a Jet archive (told by its content) through a native copy made by the isolated
// converter.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "archive/connection.h"
#include "archive/jet_conversion.h"

namespace zenta {

// Whether the name's extension, taken from the last "." of the part after the last "/", is
// ".znt" in any ASCII letter case.
bool IsCompressedArchiveName(std::string_view fileName);

// Where a compressed source is unpacked: GetSystemDir() followed by "tmp.tst".
std::string UnpackedSourcePath();

// Opens the source of a merge, read-only; unpacking, conversion and opening errors go to the
// caller. `progress` and `options` (its cancel flag included) apply to the conversion of a
// Jet archive.
std::unique_ptr<Connection> OpenMergeSource(const std::string& fileName, const Progress& progress = {},
                                            const JetConversionOptions& options = {});

}  // namespace zenta
