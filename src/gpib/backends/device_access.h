#pragma once
// The advice for a device file the user may not open: which group to join. Serial ports and
// GPIB boards alike are opened to the group that owns them.
#include <string>

namespace veridane {

// The group that owns the file, empty when unknown.
std::string GroupOwning(const std::string& path);

// "No permission to use the <what> <path>. Add your user to the group ..."; fallbackGroup
// stands in for an unknown group.
std::string PermissionMessage(const std::string& what, const std::string& path, const std::string& group,
                              const std::string& fallbackGroup);

}  // namespace veridane
