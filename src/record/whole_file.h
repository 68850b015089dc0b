#pragma once
// Writing an export whole or not at all: the bytes go to a new file beside the target, are
// synced, and take the target's name in one rename. A reader (a lab's MES polling the folder)
// never sees half a document, and a crash leaves the old file or none.
#include <string>
#include <string_view>

namespace veridane {

// Refuses a target that exists and is not a regular file (a folder, a device, a FIFO): a rename
// would replace the node itself. A symbolic link is followed to the file it names. False with
// a sentence in `error` (naming the file) when nothing was written.
bool WriteWholeFile(const std::string& path, std::string_view bytes, std::string& error);

}  // namespace veridane
