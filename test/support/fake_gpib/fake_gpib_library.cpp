// A stand-in GPIB board library for the tests, built as a shared object so that the back end
// really loads it with dlopen and binds its C functions by name. Built in three flavours:
//   default            linux-gpib: ibtmo, ibpad, ibrdf, ibwrtf, per-thread status functions;
//                      its global status variables are left stale on purpose, so a back end
//                      that reads them instead of the functions fails the tests
//   FAKE_FLAVOUR_NI    NI-488.2: ibconfig instead of ibtmo/ibpad, ibrdfA/ibwrtfA, status only
//                      in the global variables; FindLstn ends its results with NOADDR
//   FAKE_INCOMPLETE    lacks most functions
// The test scripts it through the fake_gpib_* functions (the test opens the same file, so it
// shares this state). A library's C interface has global state by nature; so does this one.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr int kErr = 0x8000, kTimo = 0x4000, kEnd = 0x2000, kCmpl = 0x0100;
constexpr int kEnol = 2, kEarg = 4, kEabo = 6, kEneb = 7, kEfso = 12, kEbus = 14, kEtab = 20;
constexpr unsigned short kNoAddr = 0xFFFF;

struct Device {
  std::deque<std::string> answers;
  int pollByte = 0;
};
struct Handle {
  int pad = 0;
  int tmo = 0;
};

struct State {
  int board = 0;
  std::set<int> listeners;
  std::map<int, Device> devices;
  std::map<int, Handle> handles;
  int nextUd = 32;
  std::string log;
  int sta = 0, err = 0;
  long cntl = 0;
};
State& S() {
  static State state;
  return state;
}

[[maybe_unused]] void Log(const std::string& line) { S().log += line + "\n"; }
int Set(int sta, int err, long cnt) {
  S().sta = sta;
  S().err = err;
  S().cntl = cnt;
  return sta;
}
[[maybe_unused]] int Ok(int bits = 0, long cnt = 0) { return Set(kCmpl | bits, S().err, cnt); }
[[maybe_unused]] int Fail(int err) { return Set(kErr | kCmpl, err, 0); }
[[maybe_unused]] Handle* Find(int ud) {
  auto it = S().handles.find(ud);
  return it == S().handles.end() ? nullptr : &it->second;
}

}  // namespace

extern "C" {

// --- script ---

void fake_gpib_reset(int board) {
  S() = State{};
  S().board = board;
}
void fake_gpib_add_listener(int pad) { S().listeners.insert(pad); }
void fake_gpib_queue_answer(int pad, const char* data, long length) {
  S().devices[pad].answers.emplace_back(data, static_cast<size_t>(length));
}
void fake_gpib_set_poll(int pad, int byte) { S().devices[pad].pollByte = byte; }
long fake_gpib_log(char* out, long size) {
  long n = std::min<long>(size - 1, static_cast<long>(S().log.size()));
  std::memcpy(out, S().log.data(), static_cast<size_t>(n));
  out[n] = 0;
  return n;
}

// --- status ---

#ifdef FAKE_FLAVOUR_NI
#define STATUS_SYNC() (ibsta = S().sta, iberr = S().err, ibcntl = S().cntl)
int ibsta, iberr;
long ibcntl;
#else
#define STATUS_SYNC() ((void)0)
int ibsta = 0x1234, iberr = 99, ibcnt = 4321;  // stale on purpose
long ibcntl = 4321;
int ThreadIbsta() { return S().sta; }
int ThreadIberr() { return S().err; }
long ThreadIbcntl() { return S().cntl; }
#endif

#ifndef FAKE_INCOMPLETE

// --- board calls ---

void SendIFC(int board) {
  Log("SendIFC " + std::to_string(board));
  board == S().board ? Ok() : Fail(kEneb);
  STATUS_SYNC();
}

int ibsre(int ud, int v) {
  Log("ibsre " + std::to_string(ud) + " " + std::to_string(v));
  int r = ud == S().board ? Ok() : Fail(kEneb);
  STATUS_SYNC();
  return r;
}

void FindLstn(int board, const unsigned short* list, unsigned short* results, int limit) {
  std::string line = "FindLstn " + std::to_string(board);
  std::vector<unsigned short> found;
  for (const unsigned short* a = list; *a != kNoAddr; ++a) {
    line += " " + std::to_string(*a);
    if (*a == 0 || S().listeners.count(*a)) found.push_back(*a);
  }
  Log(line + " / " + std::to_string(limit));
  if (board != S().board) {
    Fail(kEneb);
  } else {
    size_t stored = std::min(found.size(), static_cast<size_t>(limit));
    std::copy_n(found.begin(), stored, results);
#ifdef FAKE_FLAVOUR_NI
    if (stored < static_cast<size_t>(limit)) results[stored] = kNoAddr;
#endif
    if (found.size() <= 1) {
      Fail(kEbus);
    } else if (found.size() > static_cast<size_t>(limit)) {
      Set(kErr | kCmpl, kEtab, static_cast<long>(stored));
    } else {
      Ok(0, static_cast<long>(stored));
    }
  }
  STATUS_SYNC();
}

void DevClear(int board, unsigned short address) {
  Log("DevClear " + std::to_string(board) + " " + std::to_string(address));
  if (board != S().board) {
    Fail(kEneb);
  } else {
    S().listeners.count(address) ? Ok() : Fail(kEnol);
  }
  STATUS_SYNC();
}

int ibdev(int board, int pad, int sad, int tmo, int eot, int eos) {
  Log("ibdev " + std::to_string(board) + " " + std::to_string(pad) + " " + std::to_string(sad) + " " +
      std::to_string(tmo) + " " + std::to_string(eot) + " " + std::to_string(eos));
  if (board != S().board) {
    Fail(kEneb);
    STATUS_SYNC();
    return -1;
  }
  int ud = S().nextUd++;
  S().handles[ud] = Handle{pad, tmo};
  Ok();
  STATUS_SYNC();
  return ud;
}

// --- handle calls ---

#ifdef FAKE_FLAVOUR_NI
int ibconfig(int ud, int option, int value) {
  Log("ibconfig " + std::to_string(ud) + " " + std::to_string(option) + " " + std::to_string(value));
  Handle* h = Find(ud);
  if (!h || (option != 1 && option != 3)) {
    Fail(kEarg);
  } else {
    (option == 1 ? h->pad : h->tmo) = value;
    Ok();
  }
  STATUS_SYNC();
  return S().sta;
}
#else
int ibtmo(int ud, int v) {
  Log("ibtmo " + std::to_string(ud) + " " + std::to_string(v));
  Handle* h = Find(ud);
  h ? (h->tmo = v, Ok()) : Fail(kEarg);
  return S().sta;
}
int ibpad(int ud, int v) {
  Log("ibpad " + std::to_string(ud) + " " + std::to_string(v));
  Handle* h = Find(ud);
  h ? (h->pad = v, Ok()) : Fail(kEarg);
  return S().sta;
}
#endif

int ibclr(int ud) {
  Log("ibclr " + std::to_string(ud));
  Handle* h = Find(ud);
  int r = !h ? Fail(kEarg) : S().listeners.count(h->pad) ? Ok() : Fail(kEnol);
  STATUS_SYNC();
  return r;
}

int ibloc(int ud) {
  Log("ibloc " + std::to_string(ud));
  int r = Find(ud) ? Ok() : Fail(kEarg);
  STATUS_SYNC();
  return r;
}

int ibrsp(int ud, char* spr) {
  Log("ibrsp " + std::to_string(ud));
  Handle* h = Find(ud);
  if (!h) {
    Fail(kEarg);
  } else if (!S().listeners.count(h->pad)) {
    Set(kErr | kTimo | kCmpl, kEabo, 0);
  } else {
    *spr = static_cast<char>(S().devices[h->pad].pollByte);
    Ok(0, 1);
  }
  STATUS_SYNC();
  return S().sta;
}

int ibwrt(int ud, const void* buf, long count) {
  Handle* h = Find(ud);
  std::string data(static_cast<const char*>(buf), static_cast<size_t>(count));
  Log("ibwrt " + std::to_string(ud) + " " + data);
  int r = !h ? Fail(kEarg) : S().listeners.count(h->pad) ? Ok(0, count) : Fail(kEnol);
  STATUS_SYNC();
  return r;
}

int ibrd(int ud, void* buf, long count) {
  Log("ibrd " + std::to_string(ud) + " " + std::to_string(count));
  Handle* h = Find(ud);
  if (!h) {
    Fail(kEarg);
  } else if (!S().listeners.count(h->pad) || S().devices[h->pad].answers.empty()) {
    Set(kErr | kTimo | kCmpl, kEabo, 0);
  } else {
    std::string& answer = S().devices[h->pad].answers.front();
    size_t n = std::min(answer.size(), static_cast<size_t>(count));
    std::memcpy(buf, answer.data(), n);
    answer.erase(0, n);
    bool end = answer.empty();
    if (end) S().devices[h->pad].answers.pop_front();
    Ok(end ? kEnd : 0, static_cast<long>(n));
  }
  STATUS_SYNC();
  return S().sta;
}

int ibask(int ud, int option, int* value) {
  Log("ibask " + std::to_string(ud) + " " + std::to_string(option));
  Handle* h = Find(ud);
  if (!h || (option != 1 && option != 3)) {
    Fail(kEarg);
  } else {
    *value = option == 1 ? h->pad : h->tmo;
    Ok();
  }
  STATUS_SYNC();
  return S().sta;
}

int ibwait(int ud, int mask) {
  Log("ibwait " + std::to_string(ud) + " " + std::to_string(mask));
  int r = Find(ud) ? Ok() : Fail(kEarg);
  STATUS_SYNC();
  return r;
}

// --- file transfers, under each flavour's names ---

static int ReadToFile(const char* name, int ud, const char* path) {
  Log(std::string(name) + " " + std::to_string(ud) + " " + path);
  Handle* h = Find(ud);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!h || !file) return Fail(kEfso);
  std::deque<std::string>& answers = S().devices[h->pad].answers;
  if (answers.empty()) return Set(kErr | kTimo | kCmpl, kEabo, 0);
  std::string answer = answers.front();
  answers.pop_front();
  file << answer;
  return Ok(kEnd, static_cast<long>(answer.size()));
}

static int WriteFromFile(const char* name, int ud, const char* path) {
  std::ifstream file(path, std::ios::binary);
  if (!Find(ud) || !file) {
    Log(std::string(name) + " " + std::to_string(ud) + " " + path + " (unreadable)");
    return Fail(kEfso);
  }
  std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  Log(std::string(name) + " " + std::to_string(ud) + " " + content);
  return Ok(0, static_cast<long>(content.size()));
}

#ifdef FAKE_FLAVOUR_NI
int ibrdfA(int ud, const char* path) {
  int r = ReadToFile("ibrdfA", ud, path);
  STATUS_SYNC();
  return r;
}
int ibwrtfA(int ud, const char* path) {
  int r = WriteFromFile("ibwrtfA", ud, path);
  STATUS_SYNC();
  return r;
}
#else
int ibrdf(int ud, const char* path) { return ReadToFile("ibrdf", ud, path); }
int ibwrtf(int ud, const char* path) { return WriteFromFile("ibwrtf", ud, path); }
#endif

#else  // FAKE_INCOMPLETE

int ibdev(int, int, int, int, int, int) { return -1; }
int ibwrt(int, const void*, long) { return 0; }

#endif

}  // extern "C"
