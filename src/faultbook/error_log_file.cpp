#include "faultbook/error_log_file.h"

#include <QDate>
#include <QLocale>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/paths.h"
#include "platform/text8.h"

namespace veridane {

std::string ErrorLogHeader(std::string_view scopeModel, std::string_view shortDate) {
  return "Error Log from " + std::string(scopeModel) + ", S/N ________________ / " + std::string(shortDate);
}

std::string ShortDateToday() {
  return Text8FromUtf8(QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat).toStdString());
}

std::string PrepareErrorLogFolder(const Paths& paths) {
  const std::string folder = paths.FaultbookFolder();
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  return FolderExists(folder) ? folder : std::string();
}

std::vector<std::string> ErrorLogFileLines(const std::string& header, const std::vector<std::string>& entries) {
  std::vector<std::string> lines{"", header, ""};
  lines.insert(lines.end(), entries.begin(), entries.end());
  return lines;
}

bool WriteErrorLogFile(const std::string& path, const std::vector<std::string>& lines) {
  const std::filesystem::path target(path);
  std::filesystem::path temporary = target;
  temporary += ".part";
  std::error_code error;
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    for (const std::string& line : lines) {
      if (!out) break;
      out.write(line.data(), static_cast<std::streamsize>(line.size()));
      out.write("\r\n", 2);
    }
    out.flush();
    if (!out) {
      out.close();
      std::filesystem::remove(temporary, error);
      return false;
    }
  }
  std::filesystem::rename(temporary, target, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    return false;
  }
  return true;
}

}  // namespace veridane
