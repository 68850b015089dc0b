#include "platform/file_dialogs.h"

#include "platform/text8.h"

namespace veridane {

namespace {

std::vector<std::string> SplitPatterns(std::string_view patterns) {
  std::vector<std::string> result;
  size_t start = 0;
  while (start <= patterns.size()) {
    size_t end = patterns.find(';', start);
    if (end == std::string_view::npos) end = patterns.size();
    std::string pattern = Trim(patterns.substr(start, end - start));
    if (!pattern.empty()) result.push_back(pattern);
    start = end + 1;
  }
  return result;
}

}  // namespace

std::vector<FileFilter> ParseFileFilter(std::string_view filter) {
  std::vector<FileFilter> filters;
  size_t start = 0;
  while (start < filter.size()) {
    size_t bar = filter.find('|', start);
    if (bar == std::string_view::npos) {
      // A description without patterns (a damaged filter) still shows, matching everything.
      filters.push_back({std::string(filter.substr(start)), {"*"}});
      break;
    }
    size_t next = filter.find('|', bar + 1);
    if (next == std::string_view::npos) next = filter.size();
    FileFilter entry{std::string(filter.substr(start, bar - start)), SplitPatterns(filter.substr(bar + 1, next - bar - 1))};
    if (entry.patterns.empty()) entry.patterns.push_back("*");
    filters.push_back(std::move(entry));
    start = next + 1;
  }
  return filters;
}

std::string PathInFolder(const std::string& folder, const std::string& name) {
  if (name.empty() || name.front() == '/' || folder.empty()) return name;
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::optional<std::string> HeadlessFileDialogs::OpenFile(const FileDialogRequest& request) {
  if (!open_) return std::nullopt;
  return PathInFolder(request.initialFolder, *open_);
}

std::optional<std::string> HeadlessFileDialogs::SaveFile(const FileDialogRequest& request) {
  if (!save_) return std::nullopt;
  return PathInFolder(request.initialFolder, *save_);
}

std::optional<std::string> HeadlessFileDialogs::ChooseFolder(const FileDialogRequest& request) {
  if (!folder_) return std::nullopt;
  return PathInFolder(request.initialFolder, *folder_);
}

bool HeadlessFileDialogs::OpenWithDesktop(const std::string& fileOrUrl) {
  opened_.push_back(fileOrUrl);
  return true;
}

}  // namespace veridane
