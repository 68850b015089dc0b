#include "gpib/backends/device_access.h"

#include <grp.h>
#include <sys/stat.h>

namespace veridane {

std::string GroupOwning(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return {};
  const group* g = ::getgrgid(info.st_gid);
  return g ? g->gr_name : std::string();
}

std::string PermissionMessage(const std::string& what, const std::string& path, const std::string& group,
                              const std::string& fallbackGroup) {
  const std::string& g = group.empty() ? fallbackGroup : group;
  return "No permission to use the " + what + " " + path + ". Add your user to the group \"" + g +
         "\" (sudo usermod -aG " + g + " $USER), then log out and in again.";
}

}  // namespace veridane
