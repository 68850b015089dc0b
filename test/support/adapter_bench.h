#pragma once
// A started adapter over the scripted one, for the adapter tests.
#include <memory>
#include <string>

#include "gpib/backends/prologix_adapter.h"
#include "test/support/scripted_adapter.h"

namespace veridane::testing {

struct AdapterBench {
  explicit AdapterBench(AdapterDialect dialect = AdapterDialect::kPrologix) {
    auto transport = std::make_unique<ScriptedAdapter>();
    link = transport.get();
    PrologixOptions options;
    options.dialect = dialect;
    adapter = std::make_unique<PrologixAdapter>(std::move(transport), options);
    std::string error;
    started = adapter->Start(error);
    link->ClearLines();
  }
  int Handle(int pad = 5, int tmo = 11, int eot = 1) { return adapter->ibdev(0, pad, 0, tmo, eot, 0); }
  // The bytes the read delivered.
  std::string Read(int ud, size_t size = 512) {
    std::string buffer(size, ' ');
    adapter->ibrd(ud, buffer);
    return buffer.substr(0, static_cast<size_t>(adapter->Status().ibcntl));
  }
  bool Has(int32_t bits) const { return (adapter->Status().ibsta & bits) == bits; }
  int32_t Err() const { return adapter->Status().iberr; }

  ScriptedAdapter* link = nullptr;
  std::unique_ptr<PrologixAdapter> adapter;
  bool started = false;
};

}  // namespace veridane::testing
