// A query and its "++read eoi" in one write: the answer taken up by the next read, kept
// intact when the program talks to another device first, and the same messages for the
// devices as when every read is asked for by itself.
#include <gtest/gtest.h>

#include "test/support/adapter_bench.h"

namespace veridane::testing {
namespace {

using Lines = std::vector<std::string>;
using Part = ScriptedDevice::Part;

TEST(PrologixQuery, AQueryGoesOutInOneWriteWithItsReadAndItsSettings) {
  EXPECT_TRUE(AnswerExpected("ID?"));
  EXPECT_TRUE(AnswerExpected("CH1:SCA?\r\n"));
  EXPECT_FALSE(AnswerExpected("*RST"));
  EXPECT_FALSE(AnswerExpected("*ESR?;*CLS")) << "the answer is not the message's last word";
  EXPECT_FALSE(AnswerExpected(std::string("CURVE #12\x04?", 11))) << "binary data is never a query";

  AdapterBench b;
  b.link->At(5).answers.push_back(Part{"TDS 340\n"});
  const int ud = b.Handle(5, 11);
  b.adapter->ibwrt(ud, "ID?");
  EXPECT_FALSE(b.Has(kErr));
  EXPECT_EQ(b.link->Writes(), 1);
  EXPECT_EQ(b.link->Lines(), (Lines{"++addr 5", "++read_tmo_ms 1000", "ID?", "++read eoi"}));
  EXPECT_EQ(b.Read(ud), "TDS 340\n");
  EXPECT_TRUE(b.Has(kEnd));
  EXPECT_EQ(b.link->Writes(), 1) << "the read takes up the answer already asked for";

  // The next query to the same device: only the message and its read.
  b.link->At(5).answers.push_back(Part{"1.5E-3\n"});
  b.adapter->ibwrt(ud, "MEAS?");
  EXPECT_EQ(b.Read(ud), "1.5E-3\n");
  EXPECT_EQ(b.link->Writes(), 2);
  EXPECT_EQ(b.link->At(5).received, (Lines{"ID?", "MEAS?"}));

  // A message that is no query is read only when the program reads.
  b.adapter->ibwrt(ud, "*RST");
  EXPECT_EQ(b.link->Count("++read eoi"), 2);
  EXPECT_EQ(b.link->Writes(), 3);
}

TEST(PrologixQuery, AnAnswerNotReadYetIsKeptWhileTheProgramTalksToAnotherDevice) {
  AdapterBench b;
  b.link->At(5).answers.push_back(Part{"FIVE\n"});
  b.link->At(7).answers.push_back(Part{"SEVEN\n"});
  b.link->At(7).pollByte = 16;
  const int five = b.Handle(5);
  const int seven = b.Handle(7);
  b.adapter->ibwrt(five, "ID?");
  uint8_t status = 0;
  b.adapter->ibrsp(seven, status);
  EXPECT_EQ(status, 16);
  b.adapter->ibwrt(seven, "ID?");
  EXPECT_EQ(b.Read(seven), "SEVEN\n");
  EXPECT_EQ(b.Read(five), "FIVE\n") << "the first device's answer was taken in and kept";
  EXPECT_TRUE(b.Has(kEnd));
  EXPECT_EQ(b.link->Count("++read eoi"), 2);
}

TEST(PrologixQuery, ASlowAnswerCutShortByAnotherCallIsReadToItsEndLater) {
  AdapterBench b;
  // The answer starts 0.5 s after the query, its second half 1 s later.
  b.link->At(5).answers.push_back(Part{"FIRST,", false, 0.5});
  b.link->At(5).answers.push_back(Part{"SECOND\n", true, 1.0});
  b.link->At(7).pollByte = 0;
  const int five = b.Handle(5, 12);
  const int seven = b.Handle(7, 12);
  b.adapter->ibwrt(five, "SLOW?");
  uint8_t status = 0xFF;
  b.adapter->ibrsp(seven, status);  // the adapter is still reading: the mark ends its read
  EXPECT_FALSE(b.Has(kErr));
  EXPECT_EQ(status, 0);
  EXPECT_EQ(b.Read(five), "FIRST,SECOND\n");
  EXPECT_TRUE(b.Has(kEnd));
  EXPECT_FALSE(b.Has(kErr));

  // A new message to the device drops an answer it had not finished, asked or not.
  b.link->At(5).answers.push_back(Part{"STALE\n", true, 0.5});
  b.adapter->ibwrt(five, "OLD?");
  b.adapter->ibrsp(seven, status);
  b.link->At(5).answers.clear();
  b.link->At(5).answers.push_back(Part{"FRESH\n"});
  b.adapter->ibwrt(five, "NEW?");
  EXPECT_EQ(b.Read(five), "FRESH\n");
}

TEST(PrologixQuery, AQueryNobodyAnswersTimesOutAsAnyRead) {
  AdapterBench b;
  const int ud = b.Handle(9, 10);  // 300 ms
  b.adapter->ibwrt(ud, "ID?");
  const double start = b.link->Now();
  std::string buffer(8, '#');
  b.adapter->ibrd(ud, buffer);
  EXPECT_TRUE(b.Has(kErr | kTimo));
  EXPECT_EQ(buffer, std::string(8, '#'));
  EXPECT_LT(b.link->Now() - start, 0.5);

  // The link is clean for the next device.
  b.link->At(5).answers.push_back(Part{"NEXT\n"});
  const int five = b.Handle(5);
  b.adapter->ibwrt(five, "ID?");
  EXPECT_EQ(b.Read(five), "NEXT\n");
}

TEST(PrologixQuery, AnAnswerArrivingDuringAWaitIsKeptForTheRead) {
  AdapterBench b;
  b.link->At(5).answers.push_back(Part{"LATE\n", true, 0.1});
  const int ud = b.Handle(5, 10);
  b.adapter->ibwrt(ud, "ID?");
  b.adapter->ibwait(ud, kTimo);  // 300 ms: the answer comes during it
  EXPECT_TRUE(b.Has(kTimo));
  EXPECT_EQ(b.Read(ud), "LATE\n");
  EXPECT_TRUE(b.Has(kEnd));
}

}  // namespace
}  // namespace veridane::testing
