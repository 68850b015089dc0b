#include "record/whole_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace veridane {

namespace {

bool Fail(std::string& error, const std::string& path, const std::string& why) {
  error = path + ": " + why;
  return false;
}

}  // namespace

bool WriteWholeFile(const std::string& path, std::string_view bytes, std::string& error) {
  error.clear();
  if (path.empty()) return Fail(error, path, "no file name");
  std::filesystem::path target(path);
  std::error_code ec;
  if (std::filesystem::is_symlink(target, ec)) {
    target = std::filesystem::weakly_canonical(target, ec);
    if (ec) return Fail(error, path, "the link cannot be followed: " + ec.message());
  }
  struct stat info {};
  if (::stat(target.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return Fail(error, path, "is a folder, not a file");
    if (!S_ISREG(info.st_mode)) return Fail(error, path, "is a device or pipe, not a file");
  } else if (errno != ENOENT) {
    return Fail(error, path, std::strerror(errno));
  }
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  std::string temporary = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return Fail(error, path, std::string("cannot be written: ") + std::strerror(errno));
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int problem = errno;
      ::close(fd);
      ::unlink(temporary.c_str());
      return Fail(error, path, std::string("cannot be written: ") + std::strerror(problem));
    }
    written += static_cast<size_t>(n);
  }
  // mkstemp makes the file for its owner only; an export is read by others as any file is.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  if (::fsync(fd) != 0 || ::close(fd) != 0) {
    const int problem = errno;
    ::unlink(temporary.c_str());
    return Fail(error, path, std::string("cannot be written: ") + std::strerror(problem));
  }
  if (::rename(temporary.c_str(), target.c_str()) != 0) {
    const int problem = errno;
    ::unlink(temporary.c_str());
    return Fail(error, path, std::string("cannot be written: ") + std::strerror(problem));
  }
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

}  // namespace veridane
