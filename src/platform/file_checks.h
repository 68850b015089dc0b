#pragma once
// Reading a file that someone named (a bench, an answers file, instrument data, a log) without
// trusting what the name points at. Only a regular file is read, and only up to a size that fits
// its kind: /dev/zero, a FIFO nobody writes to, or a folder given by mistake get a clear word
// at once instead of a hang or a program that grows until the machine gives up.
#include <cstddef>
#include <filesystem>
#include <string>

namespace veridane {

enum class FileReadStatus {
  Ok,
  Missing,     // no such file (or a path through something that is not a folder)
  Folder,      // a folder was named where a file belongs
  NotRegular,  // a device, FIFO or socket
  TooLarge,    // larger than the cap for its kind (also when it grew while being read)
  Unreadable,  // permissions, I/O errors
};

struct FileRead {
  FileReadStatus status = FileReadStatus::Unreadable;
  std::string bytes;    // the whole file when status is Ok, else empty
  std::string problem;  // why not, as the end of a sentence naming the file ("is a folder")

  bool Ok() const { return status == FileReadStatus::Ok; }
};

// Opens without blocking (a FIFO or a terminal would wait for a writer), refuses anything but a
// regular file, and reads at most maxBytes.
FileRead ReadRegularFile(const std::filesystem::path& path, std::size_t maxBytes);

// The same checks without reading: what ReadRegularFile would say before it reads (bytes empty).
FileRead CheckRegularFile(const std::filesystem::path& path, std::size_t maxBytes);

// A file about to be written: Ok when it is a regular file or does not exist yet; a folder, a
// FIFO (whose opening would wait for a reader) or a device is refused.
FileRead CheckWriteTarget(const std::filesystem::path& path);

// What a status means, for messages that compose their own sentence ("is a folder, not a file").
std::string FileProblemText(FileReadStatus status, std::size_t maxBytes);

}  // namespace veridane
