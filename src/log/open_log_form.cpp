#include "log/open_log_form.h"

#include <algorithm>
#include <filesystem>

#include "platform/text8.h"

namespace veridane {

std::vector<std::string> LogFilesIn(const std::string& folder) {
  std::vector<std::string> files;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::error_code kindError;
    if (!it->is_regular_file(kindError)) continue;
    std::string utf8 = it->path().filename().string();
    if (utf8.size() <= 4 || !utf8.ends_with(".log")) continue;
    std::string name = Text8FromUtf8(utf8);
    if (Utf8FromText8(name) != utf8) continue;
    files.push_back(std::move(name));
  }
  std::sort(files.begin(), files.end());
  return files;
}

OpenLogForm::OpenLogForm(std::string folder) : folder_(std::move(folder)), files_(LogFilesIn(folder_)) {}

void OpenLogForm::Click(size_t index) {
  if (index < files_.size()) selected_ = index;
}

std::optional<std::string> OpenLogForm::Open() const {
  if (!selected_) return std::nullopt;
  const std::string& file = files_[*selected_];
  return file.substr(0, file.size() - 4);
}

}  // namespace veridane
