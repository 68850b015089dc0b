#include "platform/text8_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <utility>

#include "platform/file_checks.h"

namespace veridane {

namespace {

std::string SystemError(const std::string& path, int error) { return path + ": " + std::strerror(error); }

// write() may take fewer bytes than asked (a signal, a nearly full disk); keep going until all
// are written or the system says why not.
bool WriteAll(int fd, std::string_view bytes, int& error) {
  while (!bytes.empty()) {
    ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      error = errno;
      return false;
    }
    if (written == 0) {
      error = ENOSPC;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

int CloseDescriptor(int fd) {
  // After a failed close the descriptor is gone all the same; retrying could close another's.
  return ::close(fd) == 0 ? 0 : errno;
}

}  // namespace

Text8File::~Text8File() { Close(); }

Text8File::Text8File(Text8File&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)), error_(std::move(other.error_)) {}

Text8File& Text8File::operator=(Text8File&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    path_ = std::move(other.path_);
    error_ = std::move(other.error_);
  }
  return *this;
}

bool Text8File::Fail(const std::string& what) {
  error_ = what;
  return false;
}

bool Text8File::Open(const std::string& path, Mode mode, Hold hold) {
  Close();
  path_ = path;
  error_.clear();
  refusal_ = Refusal::None;
  const bool exclusive = hold == Hold::Exclusive;
  int flags = O_WRONLY | O_CLOEXEC;
  switch (mode) {
    case Mode::Create:
      // Held files are emptied only once held: another run's log is never cut short.
      flags |= O_CREAT | (exclusive ? 0 : O_TRUNC);
      break;
    case Mode::CreateNew:
      flags |= O_CREAT | O_EXCL;
      break;
    case Mode::Append:
      flags |= O_CREAT | O_APPEND;
      break;
    case Mode::Continue:
      flags |= O_APPEND;
      break;
  }
  int fd;
  do {
    fd = ::open(path.c_str(), flags, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    refusal_ = errno == EEXIST ? Refusal::Exists : errno == ENOENT ? Refusal::Missing : Refusal::Other;
    return Fail(SystemError(path, errno));
  }
  if (exclusive) {
    int locked;
    do {
      locked = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
      const int error = errno;
      ::close(fd);
      refusal_ = error == EWOULDBLOCK ? Refusal::InUse : Refusal::Other;
      return Fail(error == EWOULDBLOCK ? path + ": in use by another program" : SystemError(path, error));
    }
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (mode == Mode::Create && regular && ::ftruncate(fd, 0) != 0) {
      const int error = errno;
      ::close(fd);
      refusal_ = Refusal::Other;
      return Fail(SystemError(path, error));
    }
  }
  fd_ = fd;
  return true;
}

bool Text8File::Write(std::string_view text) {
  if (fd_ < 0) return Fail(path_.empty() ? "no file is open" : path_ + ": the file is not open");
  // Where the file ended, so that a write the disk took only part of can be taken back.
  struct stat before {};
  const bool sized = ::fstat(fd_, &before) == 0 && S_ISREG(before.st_mode);
  int error = 0;
  if (!WriteAll(fd_, text, error)) {
    if (sized) {
      (void)::ftruncate(fd_, before.st_size);
      // O_APPEND files find their end by themselves; others must be put back there.
      (void)::lseek(fd_, before.st_size, SEEK_SET);
    }
    return Fail(SystemError(path_, error));
  }
  error_.clear();
  return true;
}

bool Text8File::WriteLine(std::string_view text) {
  // One write for text and line end, so a killed program never leaves a line without its end
  // followed by the next line's text.
  std::string line;
  line.reserve(text.size() + 2);
  line.append(text);
  line.append("\r\n");
  if (!Write(line)) return false;
  if (syncEachLine_ && ::fdatasync(fd_) != 0 && errno != EINVAL && errno != EROFS)
    return Fail(SystemError(path_, errno));
  return true;
}

bool Text8File::Close() {
  if (fd_ < 0) return error_.empty();
  int fd = std::exchange(fd_, -1);
  int syncError = ::fsync(fd) == 0 ? 0 : errno;
  int closeError = CloseDescriptor(fd);
  // Devices and pipes cannot be synced; what matters is that files on a disk are.
  if (syncError == EINVAL || syncError == EROFS) syncError = 0;
  if (syncError != 0) return Fail(SystemError(path_, syncError));
  if (closeError != 0) return Fail(SystemError(path_, closeError));
  return true;
}

bool ReadText8File(const std::string& path, std::string& content, std::string& error, size_t maxBytes) {
  content.clear();
  error.clear();
  // Only a regular file: a FIFO named as a log would wait for a writer for ever.
  FileRead read = ReadRegularFile(path, maxBytes);
  if (read.Ok()) {
    content = std::move(read.bytes);
    return true;
  }
  switch (read.status) {
    case FileReadStatus::Missing:
      error = SystemError(path, ENOENT);
      break;
    case FileReadStatus::TooLarge:
      error = path + ": the file is too large";
      break;
    default:
      error = path + ": " + read.problem;
      break;
  }
  return false;
}

std::vector<std::string> SplitText8Lines(std::string_view content) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < content.size()) {
    size_t end = content.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(content.substr(start));
      break;
    }
    lines.emplace_back(content.substr(start, end - start));
    start = end + (content[end] == '\r' && end + 1 < content.size() && content[end + 1] == '\n' ? 2 : 1);
  }
  return lines;
}

bool ReplaceText8File(const std::string& path, std::string_view content, std::string& error) {
  error.clear();
  std::string temporary = path + ".new";
  Text8File file;
  // A file of our own, never one a link left at the temporary name points to.
  ::unlink(temporary.c_str());
  if (!file.Open(temporary, Text8File::Mode::CreateNew) || !file.Write(content) || !file.Close()) {
    error = file.Error();
    ::unlink(temporary.c_str());
    return false;
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    error = SystemError(path, errno);
    ::unlink(temporary.c_str());
    return false;
  }
  // The rename itself is on the disk only once the folder is synced.
  std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (folder.empty()) folder = ".";
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
  return true;
}

}  // namespace veridane
