#include "gpib/backends/serial_transport.h"

#include <fcntl.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "gpib/backends/device_access.h"
#include "gpib/backends/fd_transport.h"

namespace veridane {

namespace {

class SerialTransport : public FdTransport {
 public:
  SerialTransport(int fd, const std::string& path) : FdTransport(fd, path), fd_(fd) {}
  void Discard() override {
    ::tcflush(fd_, TCIFLUSH);
    FdTransport::Discard();
  }

 private:
  int fd_;
};

}  // namespace

std::string SerialOpenMessage(const std::string& path, int error, const std::string& group) {
  switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return "There is no serial port " + path +
             ". Plug in the GPIB adapter and check its name (ls /dev/ttyUSB* /dev/ttyACM*).";
    case EACCES:
    case EPERM:
      return PermissionMessage("serial port", path, group, "dialout");
    case EBUSY:
    case EWOULDBLOCK:
      return "The serial port " + path + " is in use by another program. Close it and try again.";
    default:
      return "The serial port " + path + " cannot be opened: " + std::strerror(error) + ".";
  }
}

std::unique_ptr<ByteTransport> OpenSerialTransport(const std::string& path, std::string& error) {
  int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    int code = errno;
    error = SerialOpenMessage(path, code, GroupOwning(path));
    return nullptr;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    int code = errno;
    ::close(fd);
    error = SerialOpenMessage(path, code == EWOULDBLOCK ? EBUSY : code, {});
    return nullptr;
  }
  termios tio {};
  if (::tcgetattr(fd, &tio) != 0) {
    int code = errno;
    ::close(fd);
    error = "The device " + path + " is not a serial port (" + std::strerror(code) + ").";
    return nullptr;
  }
  ::cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
  // VMIN 1: with O_NONBLOCK an empty port answers EAGAIN, so that a read of 0 bytes means
  // only that the port hung up (adapter unplugged). VMIN 0 would make both look the same.
  tio.c_cc[VMIN] = 1;
  tio.c_cc[VTIME] = 0;
  ::cfsetispeed(&tio, B115200);
  ::cfsetospeed(&tio, B115200);
  if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
    int code = errno;
    ::close(fd);
    error = "The serial port " + path + " cannot be set up: " + std::strerror(code) + ".";
    return nullptr;
  }
  return std::make_unique<SerialTransport>(fd, path);
}

}  // namespace veridane
