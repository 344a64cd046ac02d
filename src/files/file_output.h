#pragma once
// Putting a file's text on disk. Text is written byte for byte (binary mode); the formatter
// has already put the CR LF line ends in.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace ombrixdc {

// Creates or replaces `path` with `text`. False when the file cannot be created or written.
[[nodiscard]] bool WriteTextFile(const std::filesystem::path& path, std::string_view text);

// Replaces `path` without ever leaving a half-written file under its name: the text goes to a
// new temporary file in the same folder, named for this writer alone, is flushed to the disk,
// and is then renamed into place. On failure the temporary file is removed and `path` is as it
// was. False on failure.
[[nodiscard]] bool WriteTextFileAtomically(const std::filesystem::path& path,
                                           std::string_view text);

// A map file and its circle data file. Both texts are written to temporary files first; only
// when both are complete is the old map file removed, the circle data file renamed into place
// and then the map file, which is what a map search looks for. A failure before that leaves
// any existing pair untouched, and an interruption at any point leaves the old pair, the new
// pair, or no map file of that number (at most a circle data file alone), never a map file
// beside a circle data file of another run. A folder or anything but a file under either name
// fails the write and is left alone. The caller keeps other writers of the folder's pairs out
// (FolderLock) while it chooses the number and writes.
[[nodiscard]] bool WriteMapFilePairAtomically(const std::filesystem::path& mapPath,
                                              std::string_view mapText,
                                              const std::filesystem::path& circleDataPath,
                                              std::string_view circleDataText);

// The file name a temporary file of the atomic writes above was made for ("_circle1.rsm" for
// "_circle1.rsm.4711.0.tmp", and for "_circle1.rsm.tmp" as earlier versions named it); none
// when `fileName` is no such temporary.
[[nodiscard]] std::optional<std::string> TemporaryTarget(std::string_view fileName);

}  // namespace ombrixdc
