#include "serial/comdatapacket.hpp"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace helvanta {
namespace {

using namespace std::string_literals;

const std::string kStx = "\x02"s;

// An answer as the inverter sends it: STX and twelve more characters.
std::string Answer(const std::string& twelve) { return kStx + twelve; }

// Records what the framer hands out, in order: "P:" for a packet, "D:" for a discard.
struct Recorder {
  std::vector<std::string> events;
  std::vector<std::string> packets;

  void Attach(TComDataPacket& framer) {
    framer.OnPacket = [this](TComDataPacket*, const std::string& str) {
      events.push_back("P:" + str);
      packets.push_back(str);
    };
    framer.OnDiscard = [this](TComDataPacket*, const std::string& str) { events.push_back("D:" + str); };
  }
};

// The framer as both hosts configure it.
void ConfigureAsHost(TComDataPacket& framer) {
  framer.SetSize(13);
  framer.SetStartString(kStx);
}

TEST(TComDataPacket, DefaultsDeliverEveryChunkAtOnce) {
  TComDataPacket framer;
  EXPECT_EQ(framer.ComPort(), nullptr);
  EXPECT_EQ(framer.MaxBufferSize(), 1024);
  EXPECT_EQ(framer.Size(), 0);
  EXPECT_EQ(framer.StartString(), "");
  EXPECT_EQ(framer.StopString(), "");
  EXPECT_FALSE(framer.IncludeStrings());
  EXPECT_FALSE(framer.CaseInsensitive());

  // No way to end a packet: no buffering, no start string, no discarding.
  Recorder rec;
  rec.Attach(framer);
  framer.SetStartString(kStx);
  framer.AddData("ab"s + kStx + "cd");
  framer.AddData(""s);
  framer.AddData("\0x\0"s);
  EXPECT_EQ(rec.events, (std::vector<std::string>{"P:ab"s + kStx + "cd", "P:", "P:\0x\0"s}));
}

TEST(TComDataPacket, AnswerInChunksYieldsOnePacketAtItsLastCharacter) {
  TComDataPacket framer;
  ConfigureAsHost(framer);
  Recorder rec;
  rec.Attach(framer);

  // Worked example: two stray characters, then STX and four characters in one chunk.
  framer.AddData("zz");
  EXPECT_TRUE(rec.events.empty());
  framer.AddData(kStx + "0053");
  EXPECT_EQ(rec.events, std::vector<std::string>{"D:zz"});
  framer.AddData("00");
  framer.AddData("8E4");
  EXPECT_EQ(rec.events.size(), 1u);
  framer.AddData("XX");
  EXPECT_EQ(rec.events.size(), 1u);
  framer.AddData("X");  // the thirteenth character
  EXPECT_EQ(rec.events, (std::vector<std::string>{"D:zz", "P:0053008E4XXX"}));
  EXPECT_EQ(rec.packets.back().size(), 12u);
}

TEST(TComDataPacket, OneChunkMayCarrySeveralAnswersAndTheNextBeginning) {
  TComDataPacket framer;
  ConfigureAsHost(framer);
  Recorder rec;
  rec.Attach(framer);

  framer.AddData(Answer("AAAAAAAAAAAA") + Answer("BBBBBBBBBBBB") + "junk" + kStx + "CCCC");
  EXPECT_EQ(rec.events, (std::vector<std::string>{"P:AAAAAAAAAAAA", "P:BBBBBBBBBBBB", "D:junk"}));
  framer.AddData("CCCCCCCC");
  EXPECT_EQ(rec.events.back(), "P:CCCCCCCCCCCC");

  // An STX at position 1 discards nothing; further STX inside a packet are data.
  rec.events.clear();
  framer.AddData(kStx + kStx + "12" + kStx + "456789" + kStx + kStx);
  EXPECT_EQ(rec.events, std::vector<std::string>{"P:" + kStx + "12" + kStx + "456789" + kStx + kStx});
}

TEST(TComDataPacket, DataWithoutStartIsDiscardedWholeAtTheBufferLimit) {
  TComDataPacket framer;
  ConfigureAsHost(framer);
  Recorder rec;
  rec.Attach(framer);

  const std::string first(1000, 'a');
  framer.AddData(first);
  framer.AddData(std::string(23, 'b'));  // 1023 characters: kept
  EXPECT_TRUE(rec.events.empty());
  framer.AddData("c");
  EXPECT_EQ(rec.events, std::vector<std::string>{"D:" + first + std::string(23, 'b') + "c"});

  // After the emptying the framer searches afresh.
  framer.AddData(Answer("012345678901"));
  EXPECT_EQ(rec.events.back(), "P:012345678901");

  // No limit at all with 0.
  rec.events.clear();
  framer.SetMaxBufferSize(0);
  framer.AddData(std::string(5000, 'x'));
  EXPECT_TRUE(rec.events.empty());
  framer.AddData(Answer("abcdefghijkl"));
  EXPECT_EQ(rec.events, (std::vector<std::string>{"D:" + std::string(5000, 'x'), "P:abcdefghijkl"}));
}

TEST(TComDataPacket, LimitAlsoEmptiesAPacketInProgress) {
  TComDataPacket framer;
  framer.SetStartString("<");
  framer.SetStopString(">");
  framer.SetMaxBufferSize(8);
  Recorder rec;
  rec.Attach(framer);

  framer.AddData("<1234");
  framer.AddData("56");
  EXPECT_TRUE(rec.events.empty());
  framer.AddData("7");
  EXPECT_EQ(rec.events, std::vector<std::string>{"D:<1234567"});
  // The emptying left the packet: the stop string alone ends nothing.
  framer.AddData(">");
  framer.AddData("<x>");
  EXPECT_EQ(rec.events, (std::vector<std::string>{"D:<1234567", "D:>", "P:x"}));
}

TEST(TComDataPacket, IncludeStringsKeepsStartAndStop) {
  TComDataPacket framer;
  ConfigureAsHost(framer);
  framer.SetIncludeStrings(true);
  Recorder rec;
  rec.Attach(framer);
  framer.AddData("q" + Answer("012345678901"));
  EXPECT_EQ(rec.packets, std::vector<std::string>{Answer("012345678901")});

  TComDataPacket tagged;
  tagged.SetStartString("<<");
  tagged.SetStopString(">>");
  tagged.SetIncludeStrings(true);
  Recorder tags;
  tags.Attach(tagged);
  tagged.AddData("<<a>>");
  tagged.SetIncludeStrings(false);
  tagged.AddData("<<b>>");
  EXPECT_EQ(tags.packets, (std::vector<std::string>{"<<a>>", "b"}));
}

TEST(TComDataPacket, EmptyStartStringCutsTheStreamIntoFixedPieces) {
  TComDataPacket framer;
  framer.SetSize(13);
  Recorder rec;
  rec.Attach(framer);

  std::string stream;
  for (int i = 0; i < 40; ++i) stream += static_cast<char>('A' + i % 26);
  framer.AddData(stream.substr(0, 5));
  framer.AddData(stream.substr(5, 30));
  framer.AddData(stream.substr(35));
  EXPECT_EQ(rec.events, (std::vector<std::string>{"P:" + stream.substr(0, 13), "P:" + stream.substr(13, 13),
                                                  "P:" + stream.substr(26, 13)}));

  // Changing a setting empties the buffer; the pieces count from the next byte on.
  framer.SetCaseInsensitive(true);
  EXPECT_EQ(rec.events.back(), "D:" + stream.substr(39));
  framer.AddData(stream.substr(0, 13));
  EXPECT_EQ(rec.events.back(), "P:" + stream.substr(0, 13));
}

TEST(TComDataPacket, CaseInsensitiveComparesCapitalsButDeliversBytesAsReceived) {
  TComDataPacket framer;
  framer.SetStartString("ab");
  framer.SetStopString("end");
  Recorder rec;
  rec.Attach(framer);

  framer.AddData("xxABvalueEND");
  EXPECT_TRUE(rec.packets.empty());  // case matters by default
  framer.SetCaseInsensitive(true);   // empties the buffer
  EXPECT_EQ(rec.events, std::vector<std::string>{"D:xxABvalueEND"});

  framer.AddData("xxABvaLueEnD");
  EXPECT_EQ(rec.events.back(), "P:vaLue");

  framer.SetIncludeStrings(true);
  framer.AddData("aBmIxEND");
  EXPECT_EQ(rec.events.back(), "P:aBmIxEND");

  // Only a to z are folded; other bytes must match exactly.
  framer.SetIncludeStrings(false);
  framer.SetStartString("\xe4\x01");
  framer.SetStopString("\xc4");
  framer.AddData("\xc4\x01x\xe4\x01y\xe4\xc4");
  EXPECT_EQ(rec.events.back(), "P:y\xe4");
}

TEST(TComDataPacket, SettersEmptyTheBufferOnlyOnRealChangesAndNotWhileLoading) {
  TComDataPacket framer;
  ConfigureAsHost(framer);
  Recorder rec;
  rec.Attach(framer);

  framer.AddData(kStx + "123");
  framer.SetStartString(kStx);
  framer.SetSize(13);
  framer.SetStopString("");
  framer.SetCaseInsensitive(false);
  framer.SetIncludeStrings(true);
  framer.SetMaxBufferSize(10);
  framer.OnCustomStart = nullptr;
  EXPECT_TRUE(rec.events.empty());

  framer.SetStartString("\x02\x00"s);  // differs only behind a NUL
  EXPECT_EQ(rec.events, std::vector<std::string>{"D:" + kStx + "123"});

  for (int step = 0; step < 3; ++step) {
    rec.events.clear();
    framer.AddData("abc");
    if (step == 0) framer.SetSize(14);
    if (step == 1) framer.SetStopString("!");
    if (step == 2) framer.SetCaseInsensitive(true);
    EXPECT_EQ(rec.events, std::vector<std::string>{"D:abc"}) << step;
  }

  // An empty buffer is left alone: no discard of nothing.
  rec.events.clear();
  framer.SetSize(13);
  EXPECT_TRUE(rec.events.empty());

  TComDataPacket loading;
  Recorder loaded;
  loaded.Attach(loading);
  loading.SetSize(13);
  loading.AddData("abc");
  loading.BeginLoading();
  loading.SetStartString(kStx);
  loading.SetStopString("!");
  loading.SetCaseInsensitive(true);
  loading.SetSize(20);
  loading.Loaded();
  EXPECT_TRUE(loaded.events.empty());
  loading.SetSize(13);
  EXPECT_EQ(loaded.events, std::vector<std::string>{"D:abc"});
}

TEST(TComDataPacket, StopStringIsSearchedOnlyBehindTheStartString) {
  TComDataPacket framer;
  framer.SetStartString("AB");
  framer.SetStopString("B");
  Recorder rec;
  rec.Attach(framer);

  framer.AddData("ABxB");
  EXPECT_EQ(rec.events, std::vector<std::string>{"P:x"});

  rec.events.clear();
  for (char c : "ABxB"s) framer.AddData(std::string(1, c));
  EXPECT_EQ(rec.events, std::vector<std::string>{"P:x"});

  // A stop string that also occurs earlier stays at the end of the packet.
  TComDataPacket sized;
  sized.SetStopString("!");
  sized.SetSize(4);
  Recorder sizedRec;
  sizedRec.Attach(sized);
  sized.AddData("a!b!");
  sized.AddData("cd!");
  EXPECT_EQ(sizedRec.events, (std::vector<std::string>{"P:a!b!", "P:cd"}));
}

TEST(TComDataPacket, SizeWinsOverAnEarlierStopStringInTheSameChunk) {
  TComDataPacket framer;
  framer.SetStartString("<");
  framer.SetStopString(">");
  framer.SetSize(6);
  Recorder rec;
  rec.Attach(framer);

  framer.AddData("<ab>cd");  // six characters at once: cut at Size
  EXPECT_EQ(rec.events, std::vector<std::string>{"P:ab>cd"});
  rec.events.clear();
  framer.AddData("<ab");
  framer.AddData(">c");  // the stop string ends the packet before Size is reached
  EXPECT_EQ(rec.events, (std::vector<std::string>{"P:ab"}));
}

TEST(TComDataPacket, CustomStartAndStopHandlers) {
  TComDataPacket framer;
  framer.SetStartString(kStx);
  Recorder rec;
  rec.Attach(framer);

  // Pos 0 keeps the framer searching and the buffer as it is.
  std::vector<std::string> seenByStart;
  int startAnswer = 0;
  framer.OnCustomStart = [&](TComDataPacket* sender, const std::string& str, int& pos) {
    EXPECT_EQ(sender, &framer);
    EXPECT_EQ(pos, -1);
    seenByStart.push_back(str);
    pos = startAnswer;
  };
  framer.OnCustomStop = [&](TComDataPacket*, const std::string& str, int& pos) {
    const std::size_t hash = str.find('#');
    if (hash != std::string::npos) pos = static_cast<int>(hash) + 1;
  };
  framer.AddData("ab" + kStx + "cd#");
  EXPECT_TRUE(rec.events.empty());
  startAnswer = -5;  // any value other than -1 is no start either
  framer.AddData("e");
  EXPECT_TRUE(rec.events.empty());
  EXPECT_EQ(seenByStart, (std::vector<std::string>{"ab" + kStx + "cd#", "ab" + kStx + "cd#e"}));

  // A start found by the handler; the buffer then begins there. The packet ends where
  // the stop handler says, and the rest is searched again.
  startAnswer = 2;
  framer.AddData("f");
  EXPECT_EQ(rec.events, (std::vector<std::string>{"D:a", "P:b" + kStx + "cd#", "D:e"}));
  EXPECT_EQ(seenByStart.back(), "ef");

  // Left at -1 the start string is searched as usual.
  startAnswer = -1;
  framer.AddData("g#");
  framer.AddData("x" + kStx + "yz#");
  EXPECT_EQ(rec.events, (std::vector<std::string>{"D:a", "P:b" + kStx + "cd#", "D:e", "P:fg#", "D:x", "P:yz#"}));
}

TEST(TComDataPacket, CustomPositionsBeyondTheBufferAreClamped) {
  TComDataPacket framer;
  Recorder rec;
  rec.Attach(framer);
  int stopAnswer = 100;
  framer.OnCustomStop = [&](TComDataPacket*, const std::string&, int& pos) { pos = stopAnswer; };

  // A custom end past the last byte ends the packet with the buffer; on an empty buffer
  // it ends nothing, and the framer does not spin.
  framer.AddData("abc");
  framer.AddData("");
  EXPECT_EQ(rec.events, std::vector<std::string>{"P:abc"});

  // A custom start past the last byte discards everything and waits inside a packet.
  TComDataPacket other;
  Recorder otherRec;
  otherRec.Attach(other);
  stopAnswer = 0;
  other.OnCustomStop = framer.OnCustomStop;
  other.OnCustomStart = [](TComDataPacket*, const std::string&, int& pos) { pos = 50; };
  other.AddData("xyz");
  EXPECT_EQ(otherRec.events, std::vector<std::string>{"D:xyz"});
  other.OnCustomStart = nullptr;
  stopAnswer = 2;
  other.AddData("123");
  EXPECT_EQ(otherRec.events, (std::vector<std::string>{"D:xyz", "P:12", "P:3"}));
}

TEST(TComDataPacket, RxBufCopiesExactlyCountBytesNulIncluded) {
  TComDataPacket framer;
  ConfigureAsHost(framer);
  Recorder rec;
  rec.Attach(framer);

  const std::string bytes = "\0\0"s + kStx + "\0"s + "bcdefghijkl" + "\0\x7f\xff"s;
  ASSERT_NE(framer.Link()->OnRxBuf, nullptr);
  framer.Link()->OnRxBuf(nullptr, bytes.data(), 7);
  framer.Link()->OnRxBuf(nullptr, bytes.data() + 7, static_cast<int>(bytes.size()) - 7);
  EXPECT_EQ(rec.events, (std::vector<std::string>{"D:\0\0"s, "P:\0bcdefghijkl"s}));
  framer.RxBuf(nullptr, nullptr, 0);
  framer.SetSize(12);
  EXPECT_EQ(rec.events.back(), "D:\0\x7f\xff"s);
}

// Every way of cutting the stream into two or three chunks, and byte by byte, yields
// the same packets and the same discarded bytes.
TEST(TComDataPacket, StreamCutAtEveryChunkBoundaryGivesTheSamePackets) {
  const std::string stream = "~~" + Answer("0053008E4XX1") + Answer("0053" + kStx + "08E4XX2") + "!" +
                             Answer("0053008E4XX3") + Answer("005300") + "";
  const std::vector<std::string> wantPackets{"0053008E4XX1", "0053" + kStx + "08E4XX2", "0053008E4XX3"};

  auto run = [&](const std::vector<std::size_t>& cuts) {
    TComDataPacket framer;
    ConfigureAsHost(framer);
    Recorder rec;
    rec.Attach(framer);
    std::size_t from = 0;
    for (std::size_t cut : cuts) {
      framer.AddData(stream.substr(from, cut - from));
      from = cut;
    }
    framer.AddData(stream.substr(from));
    std::string discarded;
    for (const std::string& e : rec.events) {
      if (e.starts_with("D:")) discarded += e.substr(2);
    }
    EXPECT_EQ(rec.packets, wantPackets);
    EXPECT_EQ(discarded, "~~!");
    return !::testing::Test::HasFailure();
  };

  ASSERT_TRUE(run({}));
  for (std::size_t a = 0; a <= stream.size(); ++a) {
    for (std::size_t b = a; b <= stream.size(); ++b) {
      ASSERT_TRUE(run({a, b})) << "cut at " << a << " and " << b;
    }
  }
  std::vector<std::size_t> everyByte;
  for (std::size_t i = 1; i < stream.size(); ++i) everyByte.push_back(i);
  ASSERT_TRUE(run(everyByte));
}

TEST(TComDataPacket, HandlerErrorsPassOnAndTheBufferLimitStillApplies) {
  TComDataPacket framer;
  ConfigureAsHost(framer);
  framer.SetMaxBufferSize(20);
  Recorder rec;
  rec.Attach(framer);
  int failAt = 2;
  int packets = 0;
  framer.OnPacket = [&](TComDataPacket*, const std::string& str) {
    rec.events.push_back("P:" + str);
    if (++packets == failAt) throw std::runtime_error("packet handler failed");
  };

  // The error ends the delivery; what follows stays buffered for the next chunk.
  EXPECT_THROW(framer.AddData(Answer("AAAAAAAAAAAA") + Answer("BBBBBBBBBBBB") + Answer("CCCCCCCCCCCC")),
               std::runtime_error);
  EXPECT_EQ(rec.events, (std::vector<std::string>{"P:AAAAAAAAAAAA", "P:BBBBBBBBBBBB"}));
  framer.AddData("");
  EXPECT_EQ(rec.events.back(), "P:CCCCCCCCCCCC");

  // An error in a nested pass still runs the limit check: the 25 bytes left behind the
  // failing packet reach the limit and are discarded before the error travels on.
  rec.events.clear();
  packets = 0;
  const std::string rest(25, 'r');
  EXPECT_THROW(framer.AddData(Answer("DDDDDDDDDDDD") + Answer("EEEEEEEEEEEE") + rest), std::runtime_error);
  EXPECT_EQ(rec.events, (std::vector<std::string>{"P:DDDDDDDDDDDD", "P:EEEEEEEEEEEE", "D:" + rest}));
  framer.AddData(Answer("FFFFFFFFFFFF"));
  EXPECT_EQ(rec.events.back(), "P:FFFFFFFFFFFF");

  // Without an error the nested passes end with the same check.
  rec.events.clear();
  failAt = 0;
  framer.AddData(Answer("GGGGGGGGGGGG") + Answer("HHHHHHHHHHHH") + rest);
  EXPECT_EQ(rec.events, (std::vector<std::string>{"P:GGGGGGGGGGGG", "P:HHHHHHHHHHHH", "D:" + rest}));
}

TEST(TComDataPacket, ErrorsOfDiscardAndStartHandlersLeaveAConsistentFramer) {
  TComDataPacket framer;
  ConfigureAsHost(framer);
  Recorder rec;
  rec.Attach(framer);
  bool failDiscard = true;
  framer.OnDiscard = [&](TComDataPacket*, const std::string& str) {
    rec.events.push_back("D:" + str);
    if (failDiscard) throw std::runtime_error("discard handler failed");
  };

  // EmptyBuffer clears also when its handler raised.
  framer.AddData(kStx + "12345");
  EXPECT_THROW(framer.EmptyBuffer(), std::runtime_error);
  EXPECT_EQ(rec.events, std::vector<std::string>{"D:" + kStx + "12345"});
  framer.EmptyBuffer();
  EXPECT_EQ(rec.events.size(), 1u);

  // A failing discard of bytes before the start: the cut is done, the packet goes on.
  EXPECT_THROW(framer.AddData("xy" + kStx + "abc"), std::runtime_error);
  failDiscard = false;
  framer.AddData("defghijkl");
  EXPECT_EQ(rec.events, (std::vector<std::string>{"D:" + kStx + "12345", "D:xy", "P:abcdefghijkl"}));

  // A failing custom start: buffer untouched, limit check still done.
  rec.events.clear();
  framer.SetMaxBufferSize(4);
  framer.OnCustomStart = [](TComDataPacket*, const std::string& str, int&) {
    if (str.size() >= 4) throw std::runtime_error("start handler failed");
  };
  framer.AddData("ab");
  EXPECT_THROW(framer.AddData("cd"), std::runtime_error);
  EXPECT_EQ(rec.events, std::vector<std::string>{"D:abcd"});
}

TEST(TComDataPacket, HugeChunkOfPacketsIsDeliveredWhole) {
  TComDataPacket framer;
  ConfigureAsHost(framer);
  framer.SetMaxBufferSize(0);
  std::size_t count = 0;
  bool inOrder = true;
  framer.OnPacket = [&](TComDataPacket*, const std::string& str) {
    inOrder = inOrder && str == std::to_string(100000000000 + count);
    ++count;
  };
  std::string chunk;
  constexpr std::size_t kPackets = 200000;
  for (std::size_t i = 0; i < kPackets; ++i) chunk += Answer(std::to_string(100000000000 + i));
  framer.AddData(chunk);
  EXPECT_EQ(count, kPackets);
  EXPECT_TRUE(inOrder);
}

TEST(TComDataPacket, HandlersMayFeedTheFramerAgain) {
  TComDataPacket framer;
  framer.SetStartString("<");
  framer.SetStopString(">");
  Recorder rec;
  rec.Attach(framer);
  bool fedOnce = false;
  framer.OnPacket = [&](TComDataPacket* sender, const std::string& str) {
    rec.events.push_back("P:" + str);
    if (!fedOnce) {
      fedOnce = true;
      sender->AddData("<inner>tail");
    }
  };
  // The nested call appends and works from the front of the buffer, as any chunk does.
  framer.AddData("<outer><next>");
  EXPECT_EQ(rec.events, (std::vector<std::string>{"P:outer", "P:next", "P:inner"}));
  framer.AddData("<z>");
  EXPECT_EQ(rec.events, (std::vector<std::string>{"P:outer", "P:next", "P:inner", "D:tail", "P:z"}));
}

}  // namespace
}  // namespace helvanta
