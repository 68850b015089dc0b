#pragma once
// Parlex's files on disk: the message lists (the program's 8-bit text, CR LF), and the folder
// and name of a file the dialogs gave. The dialogs themselves are the program's FileDialogs.
#include <optional>
#include <string>
#include <vector>

namespace veridane::parlex {

// The file's lines without their line ends (CR LF, LF or a lone CR); a last line without a
// line end counts as a line. Bytes are kept as they are, so a list with odd bytes or overlong
// lines loads without harm; a file too large for a list (over 16 MB) is not read. Nothing when
// the file cannot be read.
std::optional<std::vector<std::string>> ReadListFile(const std::string& path);

// Replaces the file with the lines, each ended by CR LF. The new content is complete on the
// disk before it takes the old one's place, so a failed save never leaves half a list. A
// write-protected file is left alone. False on any failure.
bool WriteListFile(const std::string& path, const std::vector<std::string>& lines);

// The folder of a chosen file: the full name up to its last separator (either '/' or '\'),
// without that separator. Empty when the name has no folder.
std::string FolderOf(const std::string& path);
// The file's own name: what follows the last separator.
std::string FileNameOf(const std::string& path);

}  // namespace veridane::parlex
