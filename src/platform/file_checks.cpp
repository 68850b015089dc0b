#include "platform/file_checks.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace veridane {

namespace {

// Closes the descriptor however the read ends.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

std::string SizeText(std::size_t bytes) {
  if (bytes >= (1u << 20) && bytes % (1u << 20) == 0) return std::to_string(bytes >> 20) + " MB";
  if (bytes >= (1u << 10) && bytes % (1u << 10) == 0) return std::to_string(bytes >> 10) + " KB";
  return std::to_string(bytes) + " bytes";
}

FileRead Refused(FileReadStatus status, std::size_t maxBytes, const std::string& detail = {}) {
  FileRead read;
  read.status = status;
  read.problem = FileProblemText(status, maxBytes);
  if (!detail.empty()) read.problem += " (" + detail + ")";
  return read;
}

}  // namespace

std::string FileProblemText(FileReadStatus status, std::size_t maxBytes) {
  switch (status) {
    case FileReadStatus::Ok:
      return {};
    case FileReadStatus::Missing:
      return "does not exist";
    case FileReadStatus::Folder:
      return "is a folder, not a file";
    case FileReadStatus::NotRegular:
      return "is not a regular file (a device, FIFO or socket)";
    case FileReadStatus::TooLarge:
      return "is larger than " + SizeText(maxBytes) + ", too large for its kind";
    case FileReadStatus::Unreadable:
      return "cannot be read";
  }
  return "cannot be read";
}

namespace {

// Opens the file for reading and checks what it is; status Ok leaves fd open and size set.
FileRead OpenChecked(const std::filesystem::path& path, std::size_t maxBytes, int& fd, std::size_t& size) {
  fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    if (error == ENOENT || error == ENOTDIR) return Refused(FileReadStatus::Missing, maxBytes);
    if (error == EISDIR) return Refused(FileReadStatus::Folder, maxBytes);
    return Refused(FileReadStatus::Unreadable, maxBytes, std::strerror(error));
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0) return Refused(FileReadStatus::Unreadable, maxBytes, std::strerror(errno));
  if (S_ISDIR(info.st_mode)) return Refused(FileReadStatus::Folder, maxBytes);
  if (!S_ISREG(info.st_mode)) return Refused(FileReadStatus::NotRegular, maxBytes);
  if (info.st_size < 0 || static_cast<std::size_t>(info.st_size) > maxBytes)
    return Refused(FileReadStatus::TooLarge, maxBytes);
  size = static_cast<std::size_t>(info.st_size);
  FileRead ok;
  ok.status = FileReadStatus::Ok;
  return ok;
}

}  // namespace

FileRead CheckRegularFile(const std::filesystem::path& path, std::size_t maxBytes) {
  int opened = -1;
  std::size_t size = 0;
  FileRead check = OpenChecked(path, maxBytes, opened, size);
  const Descriptor fd(opened);
  return check;
}

FileRead CheckWriteTarget(const std::filesystem::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    // Not there yet: it will be made. A path through something that is not a folder fails
    // when it is opened, with its own word.
    FileRead ok;
    ok.status = FileReadStatus::Ok;
    return ok;
  }
  if (S_ISDIR(info.st_mode)) return Refused(FileReadStatus::Folder, 0);
  if (!S_ISREG(info.st_mode)) return Refused(FileReadStatus::NotRegular, 0);
  FileRead ok;
  ok.status = FileReadStatus::Ok;
  return ok;
}

FileRead ReadRegularFile(const std::filesystem::path& path, std::size_t maxBytes) {
  int opened = -1;
  std::size_t size = 0;
  FileRead check = OpenChecked(path, maxBytes, opened, size);
  const Descriptor fd(opened);
  if (!check.Ok()) return check;

  // The size seen is only a hint: the file may grow while it is read, and files under /proc
  // report 0. One byte past the cap tells "too large" from "exactly the cap".
  FileRead read;
  std::string bytes(size + 1, '\0');
  std::size_t filled = 0;
  for (;;) {
    if (filled == bytes.size()) {
      if (bytes.size() > maxBytes) return Refused(FileReadStatus::TooLarge, maxBytes);
      bytes.resize(std::min(maxBytes + 1, bytes.size() * 2 + 4096));
    }
    const ssize_t n = ::read(fd.get(), bytes.data() + filled, bytes.size() - filled);
    if (n < 0) {
      if (errno == EINTR) continue;
      return Refused(FileReadStatus::Unreadable, maxBytes, std::strerror(errno));
    }
    if (n == 0) break;
    filled += static_cast<std::size_t>(n);
  }
  if (filled > maxBytes) return Refused(FileReadStatus::TooLarge, maxBytes);
  bytes.resize(filled);
  read.status = FileReadStatus::Ok;
  read.bytes = std::move(bytes);
  return read;
}

}  // namespace veridane
