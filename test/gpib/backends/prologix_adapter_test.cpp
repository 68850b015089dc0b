// The Prologix-compatible adapter: start-up, addressing, the calls without message bytes, and
// the listener search, against a scripted adapter.
#include <gtest/gtest.h>

#include "test/support/adapter_bench.h"

namespace veridane::testing {
namespace {

using Lines = std::vector<std::string>;

std::vector<int16_t> AllAddresses() {
  std::vector<int16_t> list;
  for (int16_t a = 0; a <= 30; ++a) list.push_back(a);
  list.push_back(kNoAddr);
  return list;
}

TEST(PrologixStart, PutsTheAdapterInControllerModeWithEndMarks) {
  for (AdapterDialect dialect : {AdapterDialect::kPrologix, AdapterDialect::kAr488}) {
    auto transport = std::make_unique<ScriptedAdapter>();
    ScriptedAdapter* link = transport.get();
    PrologixOptions options;
    options.dialect = dialect;
    PrologixAdapter adapter(std::move(transport), options);
    std::string error;
    ASSERT_TRUE(adapter.Start(error)) << error;
    EXPECT_EQ(adapter.Version(), "Prologix GPIB-USB Controller version 6.101");
    Lines expected = {"++ver", "++mode 1", "++auto 0", "++eoi 1", "++eos 3", "++eot_enable 1", "++eot_char 4"};
    // Only a Prologix is told not to store its settings; an AR488 would store them on that word.
    if (dialect == AdapterDialect::kPrologix) expected.insert(expected.begin() + 1, "++savecfg 0");
    EXPECT_EQ(link->Lines(), expected);
  }
}

TEST(PrologixStart, AsksTwiceThenExplainsASilentPort) {
  auto booting = std::make_unique<ScriptedAdapter>();
  booting->IgnoreVersionQueries(1);
  ScriptedAdapter* link = booting.get();
  PrologixAdapter late(std::move(booting));
  std::string error;
  EXPECT_TRUE(late.Start(error)) << error;
  EXPECT_EQ(link->Count("++ver"), 2);

  auto silent = std::make_unique<ScriptedAdapter>();
  silent->IgnoreVersionQueries(2);
  link = silent.get();
  PrologixAdapter none(std::move(silent));
  EXPECT_FALSE(none.Start(error));
  EXPECT_NE(error.find("The GPIB adapter on /dev/ttyFAKE0 does not answer \"++ver\""), std::string::npos) << error;
  EXPECT_EQ(link->Lines(), (Lines{"++ver", "++ver"})) << "nothing is set up on a port that is not an adapter";
  EXPECT_DOUBLE_EQ(link->Now(), 5.0) << "2.5 s per question, on the virtual clock";

  auto unplugged = std::make_unique<ScriptedAdapter>();
  unplugged->Break();
  PrologixAdapter broken(std::move(unplugged));
  EXPECT_FALSE(broken.Start(error));
  EXPECT_NE(error.find("cannot be used: the adapter was unplugged"), std::string::npos) << error;
}

TEST(PrologixCalls, AddressClearLocalAndInterfaceCommands) {
  AdapterBench b;
  int scope = b.Handle(5);
  int generator = b.Handle(9);
  b.adapter->ibclr(scope);
  b.adapter->ibloc(scope);
  b.adapter->ibclr(generator);
  b.adapter->DevClear(0, 9);
  b.adapter->SendIFC(0);
  b.adapter->ibsre(0, 1);
  EXPECT_FALSE(b.Has(kErr));
  EXPECT_EQ(b.link->Lines(), (Lines{"++addr 5", "++clr", "++loc", "++addr 9", "++clr", "++clr", "++ifc"}))
      << "the address goes out only when it changes; a Prologix holds REN itself";

  AdapterBench ar(AdapterDialect::kAr488);
  ar.adapter->ibsre(0, 1);
  ar.adapter->ibsre(0, 0);
  EXPECT_EQ(ar.link->Lines(), (Lines{"++ren 1", "++ren 0"}));

  int secondary = b.adapter->ibdev(0, 4, 0x61, 11, 1, 0);
  b.link->ClearLines();
  b.adapter->ibclr(secondary);
  EXPECT_EQ(b.link->Lines(), (Lines{"++addr 4 97", "++clr"}));
}

TEST(PrologixCalls, BadBoardsHandlesAndArgumentsFailAsOnABoard) {
  AdapterBench b;
  b.adapter->SendIFC(1);
  EXPECT_TRUE(b.Has(kErr));
  EXPECT_EQ(b.Err(), kEneb);
  EXPECT_EQ(b.adapter->ibdev(1, 5, 0, 11, 1, 0), -1);
  EXPECT_EQ(b.Err(), kEneb);
  for (auto [pad, sad, tmo] : {std::tuple{31, 0, 11}, {5, 0x5F, 11}, {5, 0, 18}, {-1, 0, 11}}) {
    EXPECT_EQ(b.adapter->ibdev(0, pad, sad, tmo, 1, 0), -1);
    EXPECT_EQ(b.Err(), kEarg) << pad << " " << sad << " " << tmo;
  }
  int ud = b.Handle();
  b.adapter->ibtmo(ud, 18);
  EXPECT_EQ(b.Err(), kEarg);
  b.adapter->ibpad(ud, 31);
  EXPECT_EQ(b.Err(), kEarg);
  b.adapter->ibclr(ud + 100);
  EXPECT_EQ(b.Err(), kEdvr);
  b.adapter->DevClear(0, 31);
  EXPECT_EQ(b.Err(), kEarg);
  EXPECT_TRUE(b.link->Lines().empty()) << "nothing refused reaches the adapter";

  b.adapter->ibtmo(ud, 13);
  b.adapter->ibpad(ud, 7);
  int value = 0;
  b.adapter->ibask(ud, kIbaTmo, value);
  EXPECT_EQ(value, 13);
  b.adapter->ibask(ud, 1, value);
  EXPECT_EQ(value, 7);
  b.adapter->ibask(ud, 99, value);
  EXPECT_EQ(b.Err(), kEarg);
}

TEST(PrologixCalls, SerialPollAnswersTheStatusByteOrTimesOut) {
  AdapterBench b;
  b.link->At(5).pollByte = 0x41;
  b.link->At(6).pollByte.reset();
  int ud = b.Handle(5, 12);
  uint8_t status = 0;
  b.adapter->ibrsp(ud, status);
  EXPECT_EQ(status, 0x41);
  EXPECT_EQ(b.adapter->Status().ibsta, kCmpl);
  EXPECT_EQ(b.link->Lines(), (Lines{"++read_tmo_ms 3000", "++spoll 5", "++ver"})) << "the poll's end is marked";

  b.adapter->ibpad(ud, 6);
  status = 0x99;
  b.adapter->ibrsp(ud, status);
  EXPECT_TRUE(b.Has(kErr | kTimo));
  EXPECT_EQ(b.Err(), kEabo);
  EXPECT_EQ(status, 0x99) << "no answer, no byte";
}

TEST(PrologixFindLstn, ProbesEveryAddressWithASerialPoll) {
  AdapterBench b;
  b.link->At(5).pollByte = 0;
  b.link->At(9).pollByte = 64;
  std::vector<int16_t> results(15, -7);
  b.adapter->FindLstn(0, AllAddresses(), results, 15);
  EXPECT_FALSE(b.Has(kErr));
  EXPECT_EQ(b.adapter->Status().ibcntl, 3);
  EXPECT_EQ(std::vector<int16_t>(results.begin(), results.begin() + 4), (std::vector<int16_t>{0, 5, 9, 0}));
  EXPECT_EQ(b.link->Lines().front(), "++read_tmo_ms 5");
  EXPECT_EQ(b.link->Count("++spoll 0"), 0) << "the controller itself is not polled";
  EXPECT_EQ(b.link->Count("++spoll 30"), 1);
  EXPECT_LT(b.link->Now(), 30 * 0.05) << "an empty address costs the probe timeout and one round trip";

  std::vector<int16_t> two(2);
  b.adapter->FindLstn(0, AllAddresses(), two, 2);
  EXPECT_TRUE(b.Has(kErr));
  EXPECT_EQ(b.Err(), kEtab);
  EXPECT_EQ(b.adapter->Status().ibcntl, 2);
  EXPECT_EQ(two, (std::vector<int16_t>{0, 5}));

  AdapterBench empty;
  empty.link->SendAt(0.5, "\r\n");  // an adapter that answers a poll of nobody with an empty line
  empty.adapter->FindLstn(0, AllAddresses(), results, 15);
  EXPECT_TRUE(empty.Has(kErr));
  EXPECT_EQ(empty.Err(), kEbus);
  EXPECT_EQ(results[0], 0);
  EXPECT_EQ(results[1], 0);
}

TEST(PrologixFindLstn, ASlowLinkMissesNoDeviceThatAnswersLate) {
  // A link that takes 0.4 s to bring each answer, twice the old safety margin: every device
  // is found, because the end of each poll is marked, not guessed.
  AdapterBench b;
  b.link->SetLatency(0.4);
  b.link->At(7).pollByte = 0;
  b.link->At(12).pollByte = 0;
  std::vector<int16_t> results(15, -7);
  b.adapter->FindLstn(0, AllAddresses(), results, 15);
  EXPECT_FALSE(b.Has(kErr));
  EXPECT_EQ(std::vector<int16_t>(results.begin(), results.begin() + 4), (std::vector<int16_t>{0, 7, 12, 0}));
  uint8_t poll = 9;
  int ud = b.Handle(12);
  b.adapter->ibrsp(ud, poll);
  EXPECT_FALSE(b.Has(kErr)) << "no late answer of the search is taken for this poll's";
  EXPECT_EQ(poll, 0);
}

TEST(PrologixFindLstn, AnAr488SearchesTheBusItselfAndAnOlderOneIsPolled) {
  AdapterBench b;
  b.link->SetVersion("AR488 GPIB controller, ver. 0.51.18, 20/06/2023");
  std::string error;
  ASSERT_TRUE(b.adapter->Start(error)) << error;
  b.link->ClearLines();
  b.link->AnswerFindLstn("%s");
  b.link->At(3).pollByte = 0;
  b.link->At(22).pollByte = 0;
  std::vector<int16_t> results(15, -7);
  b.adapter->FindLstn(0, AllAddresses(), results, 15);
  EXPECT_FALSE(b.Has(kErr));
  EXPECT_EQ(std::vector<int16_t>(results.begin(), results.begin() + 4), (std::vector<int16_t>{0, 3, 22, 0}));
  EXPECT_EQ(b.link->Count("++findlstn"), 1);
  EXPECT_EQ(b.link->Count("++spoll 3"), 0) << "no address polled one by one";

  // Firmware without the command says nothing before the mark: every address is polled.
  b.link->AnswerFindLstn("");
  b.adapter->FindLstn(0, AllAddresses(), results, 15);
  EXPECT_EQ(std::vector<int16_t>(results.begin(), results.begin() + 4), (std::vector<int16_t>{0, 3, 22, 0}));
  EXPECT_EQ(b.link->Count("++spoll 30"), 1);
}

TEST(PrologixCalls, WaitAcceptingCompletionEndsAtOnceAndTimeoutOnlyLastsTheTimeout) {
  AdapterBench b;
  int ud = b.Handle(5, 11);
  double start = b.link->Now();
  b.adapter->ibwait(ud, kTimo | kCmpl);
  EXPECT_EQ(b.adapter->Status().ibsta, kCmpl);
  EXPECT_DOUBLE_EQ(b.link->Now(), start);
  b.adapter->ibwait(ud, kTimo);
  EXPECT_TRUE(b.Has(kTimo));
  EXPECT_DOUBLE_EQ(b.link->Now(), start + 1.0);
}

}  // namespace
}  // namespace veridane::testing
