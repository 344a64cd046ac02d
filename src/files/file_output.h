#pragma once
// Putting a file's text on disk. Text is written byte for byte (binary mode); the formatter
// has already put the CR LF line ends in.
#include <filesystem>
#include <string_view>

namespace ombrixdc {

// Creates or replaces `path` with `text`. False when the file cannot be created or written.
bool WriteTextFile(const std::filesystem::path& path, std::string_view text);

// Replaces `path` without ever leaving a half-written file under its name: the text goes to a
// temporary file in the same folder, is flushed to the disk, and is then renamed into place.
// On failure the temporary file is removed and `path` is as it was. False on failure.
bool WriteTextFileAtomically(const std::filesystem::path& path, std::string_view text);

// A map file and its circle data file. Both texts are written to temporary files first; only
// when both are complete is the circle data file renamed into place and then the map file,
// which is what a map search looks for. A failure before the renames leaves any existing pair
// untouched; a crash between them leaves complete files, never a damaged map.
bool WriteMapFilePairAtomically(const std::filesystem::path& mapPath, std::string_view mapText,
                                const std::filesystem::path& circleDataPath,
                                std::string_view circleDataText);

}  // namespace ombrixdc
