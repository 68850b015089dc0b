#pragma once
// Files of the program's 8-bit text with CR LF line ends (logs, status files, saved lists), as
// the Windows bench PCs write them, so files move between the two unchanged.
//
// Nothing written may be lost: every line goes to the operating system the moment it is
// written (a killed program leaves every line it wrote), and Close syncs the file to the disk.
// A write that fails half-way (a full disk) is taken back, so the file ends with a whole line.
// Failures are returned, never thrown; Error() says what went wrong, with the file name.
#include <string>
#include <string_view>
#include <vector>

namespace veridane {

class Text8File {
 public:
  // Create replaces any old content; CreateNew makes a file that must not exist yet (two
  // programs given the same new name: one gets it, the other is told); Append keeps the content
  // (and creates a missing file); Continue appends to a file that must exist.
  enum class Mode { Create, CreateNew, Append, Continue };
  // Exclusive: the file is held against every other writer that asks the same (another run of
  // the program on the same log) until it is closed; one that finds it held is refused at once.
  enum class Hold { Shared, Exclusive };
  // What stopped the last Open.
  enum class Refusal { None, Exists, Missing, InUse, Other };

  Text8File() = default;
  ~Text8File();  // closes (and syncs) a file still open
  Text8File(const Text8File&) = delete;
  Text8File& operator=(const Text8File&) = delete;
  Text8File(Text8File&& other) noexcept;
  Text8File& operator=(Text8File&& other) noexcept;

  // The path is a file-system name (UTF-8). A file already open is closed first.
  bool Open(const std::string& path, Mode mode, Hold hold = Hold::Shared);
  Refusal OpenRefusal() const { return refusal_; }
  // Each line synced to the disk before WriteLine returns, so a power cut keeps it too.
  void SyncEachLine(bool sync) { syncEachLine_ = sync; }
  bool IsOpen() const { return fd_ >= 0; }
  const std::string& Path() const { return path_; }

  // The text followed by CR LF, handed to the operating system at once.
  bool WriteLine(std::string_view text);
  // The text as it stands, no line end (the status file has none).
  bool Write(std::string_view text);
  // Syncs and closes; true when everything written is on the disk. Closing a closed file is fine.
  bool Close();

  // The last failure, e.g. "/data/LOG340/u7.log: No space left on device"; empty after success.
  const std::string& Error() const { return error_; }

 private:
  bool Fail(const std::string& what);
  int fd_ = -1;
  bool syncEachLine_ = false;
  Refusal refusal_ = Refusal::None;
  std::string path_;
  std::string error_;
};

// Reads a whole file as bytes; false (with error set) when it cannot be read or is larger than
// maxBytes, so a stray huge file cannot exhaust the memory.
bool ReadText8File(const std::string& path, std::string& content, std::string& error,
                   size_t maxBytes = 64u << 20);

// Splits file content into lines: CR LF, a lone LF and a lone CR each end a line; a last line
// without a line end is kept; a line end at the very end starts no further line.
std::vector<std::string> SplitText8Lines(std::string_view content);

// Replaces a file as a whole: writes a new file beside it, syncs it and renames it over the old
// one, so a crash leaves either the old or the new content, never half of it.
bool ReplaceText8File(const std::string& path, std::string_view content, std::string& error);

}  // namespace veridane
