#include "platform/gpib_handle_table.h"

#include <algorithm>

#include "platform/file_checks.h"

namespace veridane {

namespace {

constexpr int kIbaPad = 1;
constexpr int kIbaSad = 2;
constexpr int kIbaEot = 4;

bool ValidTimeout(int code) { return code >= 0 && code <= 17; }

}  // namespace

GpibHandleTable::DeviceHandle* GpibHandleTable::Find(int ud) {
  auto it = handles_.find(ud);
  if (it != handles_.end()) return &it->second;
  Fail(kEdvr);
  return nullptr;
}

bool GpibHandleTable::CheckBoard(int board) {
  if (board == 0) return true;
  Fail(kEneb);
  return false;
}

int GpibHandleTable::ibdev(int board, int pad, int sad, int tmo, int eot, int /*eos*/) {
  if (!CheckBoard(board)) return -1;
  if (!ValidAddress(pad, sad) || !ValidTimeout(tmo)) {
    Fail(kEarg);
    return -1;
  }
  const int ud = nextHandle_++;
  handles_[ud] = DeviceHandle{pad, sad, tmo, eot != 0};
  Ok();
  return ud;
}

void GpibHandleTable::ibpad(int ud, int pad) {
  DeviceHandle* handle = Find(ud);
  if (!handle) return;
  if (!ValidAddress(pad, 0)) {
    Fail(kEarg);
    return;
  }
  handle->pad = pad;
  Ok();
}

void GpibHandleTable::ibtmo(int ud, int code) {
  DeviceHandle* handle = Find(ud);
  if (!handle) return;
  if (!ValidTimeout(code)) {
    Fail(kEarg);
    return;
  }
  handle->tmo = code;
  Ok();
}

void GpibHandleTable::ibask(int ud, int option, int& value) {
  DeviceHandle* handle = Find(ud);
  if (!handle) return;
  switch (option) {
    case kIbaPad: value = handle->pad; break;
    case kIbaSad: value = handle->sad; break;
    case kIbaTmo: value = handle->tmo; break;
    case kIbaEot: value = handle->eot ? 1 : 0; break;
    default: Fail(kEarg); return;
  }
  Ok();
}

void GpibHandleTable::ibwrtf(int ud, const std::string& path) {
  if (!Find(ud)) return;
  FileRead file = ReadRegularFile(path, kFileMessageLimit);
  if (!file.Ok()) {
    Fail(kEfso);
    return;
  }
  ibwrt(ud, file.bytes);
}

void GpibHandleTable::ListListeners(const std::vector<int16_t>& answering, std::vector<int16_t>& results, int limit) {
  if (results.size() < static_cast<size_t>(limit)) results.resize(static_cast<size_t>(limit), 0);
  const size_t stored = std::min(answering.size(), static_cast<size_t>(limit));
  std::copy_n(answering.begin(), stored, results.begin());
  if (stored < static_cast<size_t>(limit)) results[stored] = 0;
  const bool instrument = std::any_of(answering.begin(), answering.end(), [](int16_t a) { return a != 0; });
  if (!instrument) {
    Fail(kEbus);  // the controller hearing itself is no listener
  } else if (answering.size() > static_cast<size_t>(limit)) {
    Fail(kEtab);
    status_.ibcntl = static_cast<int32_t>(stored);
  } else {
    Ok(0, static_cast<int32_t>(stored));
  }
}

}  // namespace veridane
