// Loading a board library: finding the file, its functions in either flavour, and the board's
// device file, with a message that tells the technician what to do when one is missing.
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "gpib/backends/board_library.h"
#include "gpib/backends/device_access.h"

namespace veridane {

namespace {

template <typename T>
void Bind(void* handle, const char* name, T& slot) {
  if (!slot) slot = reinterpret_cast<T>(::dlsym(handle, name));
}

BoardFunctions BindFunctions(void* handle) {
  BoardFunctions f;
  Bind(handle, "ibdev", f.ibdev);
  Bind(handle, "ibclr", f.ibclr);
  Bind(handle, "ibloc", f.ibloc);
  Bind(handle, "ibrsp", f.ibrsp);
  Bind(handle, "ibwrt", f.ibwrt);
  Bind(handle, "ibrd", f.ibrd);
  Bind(handle, "ibask", f.ibask);
  Bind(handle, "ibwait", f.ibwait);
  Bind(handle, "ibsre", f.ibsre);
  Bind(handle, "ibtmo", f.ibtmo);
  Bind(handle, "ibpad", f.ibpad);
  Bind(handle, "ibconfig", f.ibconfig);
  Bind(handle, "ibrdf", f.ibrdf);
  Bind(handle, "ibrdfA", f.ibrdf);
  Bind(handle, "ibwrtf", f.ibwrtf);
  Bind(handle, "ibwrtfA", f.ibwrtf);
  Bind(handle, "SendIFC", f.SendIFC);
  Bind(handle, "FindLstn", f.FindLstn);
  Bind(handle, "DevClear", f.DevClear);
  Bind(handle, "ThreadIbsta", f.threadIbsta);
  Bind(handle, "Ibsta", f.threadIbsta);
  Bind(handle, "ThreadIberr", f.threadIberr);
  Bind(handle, "Iberr", f.threadIberr);
  Bind(handle, "ThreadIbcntl", f.threadIbcntl);
  Bind(handle, "Ibcnt", f.threadIbcntl);
  Bind(handle, "ThreadIbcnt", f.threadIbcnt);
  Bind(handle, "ibsta", f.ibsta);
  Bind(handle, "iberr", f.iberr);
  Bind(handle, "ibcntl", f.ibcntl);
  Bind(handle, "ibcnt", f.ibcnt);
  return f;
}

// The names of what a usable library must offer and this one lacks.
std::string Missing(const BoardFunctions& f) {
  std::string missing;
  auto need = [&missing](bool present, const char* name) {
    if (present) return;
    if (!missing.empty()) missing += ", ";
    missing += name;
  };
  need(f.ibdev, "ibdev");
  need(f.ibclr, "ibclr");
  need(f.ibloc, "ibloc");
  need(f.ibrsp, "ibrsp");
  need(f.ibwrt, "ibwrt");
  need(f.ibrd, "ibrd");
  need(f.ibask, "ibask");
  need(f.ibwait, "ibwait");
  need(f.ibsre, "ibsre");
  need(f.ibtmo || f.ibconfig, "ibtmo");
  need(f.ibpad || f.ibconfig, "ibpad");
  need(f.SendIFC, "SendIFC");
  need(f.FindLstn, "FindLstn");
  need(f.DevClear, "DevClear");
  need(f.threadIbsta || f.ibsta, "ibsta");
  need(f.threadIberr || f.iberr, "iberr");
  need(f.threadIbcntl || f.threadIbcnt || f.ibcntl || f.ibcnt, "ibcntl");
  return missing;
}

// Empty when linux-gpib can use its board's device file.
std::string CheckDeviceFile(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return BoardDeviceMessage(path, errno, {});
  if (::access(path.c_str(), R_OK | W_OK) != 0) {
    int code = errno;
    return BoardDeviceMessage(path, code, GroupOwning(path));
  }
  return {};
}

const char* kInstallAdvice =
    "Install linux-gpib (its library and the kernel module for your board) or NI-488.2 for Linux, or name the "
    "library file in the setting GpibLibrary.";

}  // namespace

std::string BoardDeviceMessage(const std::string& devicePath, int error, const std::string& group) {
  switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return "The GPIB board has no device file " + devicePath +
             ". Load the linux-gpib kernel module for the board and configure it (gpib_config), or check the board "
             "number of the bench (gpib:N).";
    case EACCES:
    case EPERM:
      return PermissionMessage("GPIB board", devicePath, group, "gpib");
    default:
      return "The GPIB board " + devicePath + " cannot be used: " + std::strerror(error) + ".";
  }
}

BoardLibrary::BoardLibrary(void* handle, std::string path, BoardFunctions functions, bool ni, int board)
    : handle_(handle), path_(std::move(path)), f_(functions), ni_(ni), board_(board) {}

BoardLibrary::~BoardLibrary() {
  if (handle_) ::dlclose(handle_);
}

std::unique_ptr<BoardLibrary> BoardLibrary::Load(int board, const std::string& path,
                                                 const BoardLibraryOptions& options, std::string& error) {
  void* handle = nullptr;
  std::string loaded = path;
  if (!path.empty()) {
    handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
      const char* why = ::dlerror();
      error = "The GPIB library \"" + path + "\" cannot be loaded (" + (why ? why : "unknown reason") + "). " +
              kInstallAdvice;
      return nullptr;
    }
  } else {
    std::string tried;
    for (const std::string& candidate : options.candidates) {
      handle = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
      if (handle) {
        loaded = candidate;
        break;
      }
      tried += (tried.empty() ? "" : ", ") + candidate;
    }
    if (!handle) {
      error = "No GPIB library was found (looked for " + tried + "). " + kInstallAdvice;
      return nullptr;
    }
  }

  BoardFunctions functions = BindFunctions(handle);
  std::string missing = Missing(functions);
  if (!missing.empty()) {
    ::dlclose(handle);
    error = "The file \"" + loaded + "\" is not a usable GPIB library: it lacks " + missing + ". " + kInstallAdvice;
    return nullptr;
  }
  // Only NI's library has the A forms of the file transfers.
  bool ni = ::dlsym(handle, "ibrdfA") != nullptr || ::dlsym(handle, "ibwrtfA") != nullptr;
  if (!ni) {
    std::string problem = CheckDeviceFile(options.deviceFolder + "/gpib" + std::to_string(board));
    if (!problem.empty()) {
      ::dlclose(handle);
      error = problem;
      return nullptr;
    }
  }
  return std::unique_ptr<BoardLibrary>(new BoardLibrary(handle, loaded, functions, ni, board));
}

}  // namespace veridane
