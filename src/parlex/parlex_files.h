#pragma once
// What Parlex needs from the desktop and the file system: the open and save dialogs, opening a
// file with its associated program, and the message-list text files (Windows-1252, CR LF).
// Kept to the few calls Parlex makes, so that the program-wide file seams can stand in for them
// one for one.
#include <optional>
#include <string>
#include <vector>

namespace veridane::parlex {

struct FileDialogRequest {
  std::string title;
  std::string folder;  // initial folder
  std::string name;    // initial file name, may be empty
  std::string filter;  // "Data Files (*.dat)|*.dat|All Files (*.*)|*.*"
};

class ParlexFileDialogs {
 public:
  virtual ~ParlexFileDialogs() = default;
  // The chosen file's full name; empty when the operator cancelled.
  virtual std::string OpenFile(const FileDialogRequest& request) = 0;
  virtual std::string SaveFile(const FileDialogRequest& request) = 0;
  // Opens the file with the program the desktop associates with it; false when it could not.
  virtual bool OpenWithDesktop(const std::string& path) = 0;
};

class ParlexTextFiles {
 public:
  virtual ~ParlexTextFiles() = default;
  // The file's lines without their line ends (CR LF, LF or a lone CR at the end of a line);
  // a last line without a line end counts as a line. Nothing when the file cannot be read.
  virtual std::optional<std::vector<std::string>> ReadLines(const std::string& path) = 0;
  // Creates or overwrites the file, every line ended by CR LF; false on any failure.
  virtual bool WriteLines(const std::string& path, const std::vector<std::string>& lines) = 0;
};

// The files on disk, bytes as they are (the program's text is 8-bit already).
class DiskTextFiles : public ParlexTextFiles {
 public:
  std::optional<std::vector<std::string>> ReadLines(const std::string& path) override;
  bool WriteLines(const std::string& path, const std::vector<std::string>& lines) override;
};

// The folder of a chosen file: the full name up to its last separator (either '/' or '\'),
// without that separator. Empty when the name has no folder.
std::string FolderOf(const std::string& path);
// The file's own name: what follows the last separator.
std::string FileNameOf(const std::string& path);

}  // namespace veridane::parlex
