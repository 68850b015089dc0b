#pragma once
// The error log on paper and on disk share one header line; the file is the program's 8-bit
// text with CR LF line ends, so it reads the same as the ones written on the bench PCs.
#include <string>
#include <string_view>
#include <vector>

namespace veridane {

class Paths;

// "Error Log from TDS 340, S/N ________________ / 14.02.25" (the date as given).
std::string ErrorLogHeader(std::string_view scopeModel, std::string_view shortDate);

// Today in the system's short date form, as 8-bit text.
std::string ShortDateToday();

// The folder the save dialog starts in, made when missing (with its parents: on a fresh
// account neither it nor the simulated bench's subfolder exists yet). Empty when it cannot be
// made; the dialog then starts wherever it likes.
std::string PrepareErrorLogFolder(const Paths& paths);

// An empty line, the header, an empty line, then the entries.
std::vector<std::string> ErrorLogFileLines(const std::string& header, const std::vector<std::string>& entries);

// Writes the lines, each ended by CR LF, to path. The text goes to a temporary file beside it
// first and replaces path only when complete, so a failed write never destroys an earlier
// copy. False when it could not be written.
bool WriteErrorLogFile(const std::string& path, const std::vector<std::string>& lines);

}  // namespace veridane
