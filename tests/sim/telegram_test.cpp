#include "sim/telegram.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "sim/wire.hpp"

namespace helvanta::sim {
namespace {

using test::RawRequest;
using test::Request;

std::vector<ReceivedTelegram> FeedAll(RequestParser& parser, const std::string& bytes, std::int64_t at = 0) {
  std::vector<ReceivedTelegram> out;
  for (char c : bytes) {
    if (auto t = parser.Feed(c, at)) out.push_back(*t);
  }
  return out;
}

TEST(SimTelegram, AnswerFrameCarriesCodeWordEtxAndBlockCheck) {
  const std::string frame = BuildAnswerFrame("03E6", WordText(0x08E4));
  ASSERT_EQ(frame.size(), 13u);
  EXPECT_EQ(frame.substr(0, 11), std::string("\x02"
                                             "0003E608E4",
                                             11));
  EXPECT_EQ(frame[11], '\x03');
  char x = 0;
  for (int i = 0; i < 12; ++i) x = static_cast<char>(x ^ frame[static_cast<std::size_t>(i)]);
  EXPECT_EQ(frame[12], x);
  EXPECT_EQ(WordText(0xABCD), "ABCD");
  EXPECT_EQ(WordText(0x000F), "000F");
}

TEST(SimTelegram, ParserSortsWellFormedAndBrokenRequests) {
  RequestParser parser;
  std::string stream = "noise" + Request("03E6");
  stream += RawRequest("0053??", "03E6", '\x03', '\x00');    // block check wrong
  stream += RawRequest("0054??", "03E6", '\x03');            // prefix wrong, block check right
  stream += RawRequest("0053??", "03E6", '\x04');            // no ETX
  stream += Request("0200").substr(0, 6) + Request("9FFF");  // broken off by the next STX
  const auto got = FeedAll(parser, stream);
  ASSERT_EQ(got.size(), 6u);
  EXPECT_EQ(got[0].result, RequestResult::Ok);
  EXPECT_EQ(got[0].code, "03E6");
  EXPECT_EQ(got[1].result, RequestResult::BadBcc);
  EXPECT_EQ(got[2].result, RequestResult::BadPrefix);
  EXPECT_EQ(got[3].result, RequestResult::BadEtx);
  EXPECT_EQ(got[4].result, RequestResult::Truncated);
  EXPECT_EQ(got[4].code, "-");
  EXPECT_EQ(got[5].result, RequestResult::Ok);
  EXPECT_EQ(got[5].code, "9FFF");
  EXPECT_EQ(parser.SkippedBytes(), 5u);
}

TEST(SimTelegram, PauseInsideARequestEndsIt) {
  RequestParser parser;
  const std::string twelve = Request("03EC").substr(0, 12);
  EXPECT_TRUE(FeedAll(parser, twelve, 1'000).empty());
  ASSERT_TRUE(parser.Deadline().has_value());
  EXPECT_FALSE(parser.Expire(1'000 + RequestParser::kGapMicros - 1).has_value());
  const auto t = parser.Expire(1'000 + RequestParser::kGapMicros);
  ASSERT_TRUE(t.has_value());
  EXPECT_EQ(t->result, RequestResult::Truncated);
  EXPECT_EQ(t->code, "03EC");
  EXPECT_FALSE(parser.Deadline().has_value());

  // A late byte after the pause does not complete the old request.
  EXPECT_TRUE(FeedAll(parser, twelve, 2'000'000).empty());
  const auto got = FeedAll(parser, Request("03EC"), 2'000'000 + RequestParser::kGapMicros + 1);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].result, RequestResult::Truncated);
  EXPECT_EQ(got[1].result, RequestResult::Ok);
}

TEST(SimTelegram, BlockCheckMayBeAnStx) {
  // Choose the last code character so that the exclusive-or of the 12 bytes is STX.
  std::string request = Request("03E0");
  const char without = static_cast<char>(request[12] ^ request[10]);
  request[10] = static_cast<char>(without ^ '\x02');
  request[12] = '\x02';
  RequestParser parser;
  const auto got = FeedAll(parser, request);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].result, RequestResult::Ok);
  EXPECT_EQ(got[0].code.substr(0, 3), "03E");
}

}  // namespace
}  // namespace helvanta::sim
