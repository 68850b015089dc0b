#include "results/store_target.h"

#include <charconv>

#include "platform/text8.h"

namespace veridane {

namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return lower;
}

// %XX escapes of a URI part (a user name or database with unusual characters).
std::string Unescape(std::string_view text) {
  std::string plain;
  for (size_t i = 0; i < text.size(); ++i) {
    int value = 0;
    if (text[i] == '%' && i + 2 < text.size() &&
        std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16).ptr == text.data() + i + 3) {
      plain += static_cast<char>(value);
      i += 2;
    } else {
      plain += text[i];
    }
  }
  return plain;
}

StoreTarget Failed(std::string error) {
  StoreTarget target;
  target.error = std::move(error);
  return target;
}

StoreTarget ParsePostgres(std::string_view text, std::string_view rest) {
  StoreTarget target;
  target.kind = StoreKind::PostgreSQL;
  const size_t query = rest.find('?');
  if (query != std::string_view::npos) {
    std::string options(rest.substr(query + 1));
    for (char& c : options)
      if (c == '&') c = ';';
    target.options = options;
    rest = rest.substr(0, query);
  }
  const size_t slash = rest.find('/');
  if (slash == std::string_view::npos || slash + 1 >= rest.size())
    return Failed("The results database \"" + std::string(text) + "\" names no database (postgresql://host/NAME).");
  target.database = Unescape(rest.substr(slash + 1));
  std::string_view authority = rest.substr(0, slash);
  const size_t at = authority.rfind('@');
  if (at != std::string_view::npos) {
    std::string_view credentials = authority.substr(0, at);
    const size_t colon = credentials.find(':');
    target.user = Unescape(credentials.substr(0, colon));
    if (colon != std::string_view::npos) target.password = Unescape(credentials.substr(colon + 1));
    authority = authority.substr(at + 1);
  }
  const size_t colon = authority.rfind(':');
  if (colon != std::string_view::npos && authority.find(']') == std::string_view::npos) {
    std::string_view portText = authority.substr(colon + 1);
    int port = 0;
    auto [end, problem] = std::from_chars(portText.data(), portText.data() + portText.size(), port);
    if (problem != std::errc() || end != portText.data() + portText.size() || port <= 0 || port > 65535)
      return Failed("The results database \"" + std::string(text) + "\" has no valid port.");
    target.port = port;
    authority = authority.substr(0, colon);
  }
  target.host = authority.empty() ? "localhost" : std::string(authority);
  return target;
}

}  // namespace

std::string StoreTarget::Describe() const {
  switch (kind) {
    case StoreKind::None:
      return "(none)";
    case StoreKind::SQLite:
      return file;
    case StoreKind::PostgreSQL:
      return "postgresql://" + (user.empty() ? "" : user + "@") + host + ":" + std::to_string(port) + "/" + database;
  }
  return "";
}

StoreTarget ParseStoreTarget(std::string_view setting, const std::string& dataFolder) {
  const std::string text = Trim(setting);
  const std::string lower = Lower(text);
  StoreTarget target;
  if (lower == "off" || lower == "none") return target;
  for (std::string_view scheme : {"postgresql://", "postgres://"}) {
    if (lower.rfind(scheme, 0) == 0) return ParsePostgres(text, std::string_view(text).substr(scheme.size()));
  }
  if (!text.empty() && text.front() != '/')
    return Failed("The results database \"" + text +
                  "\" is neither an absolute file path (/srv/lab/results.db), postgresql://USER@HOST/DATABASE nor off "
                  "(setting " + std::string(kResultsDatabaseKey) + ").");
  target.kind = StoreKind::SQLite;
  target.file = text.empty() ? dataFolder + "/results.db" : text;
  return target;
}

StoreTarget StoreTargetFromSettings(const Settings& settings, const std::string& dataFolder) {
  return ParseStoreTarget(settings.Get("Veridane", "Settings", kResultsDatabaseKey, ""), dataFolder);
}

}  // namespace veridane
