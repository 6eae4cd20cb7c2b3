#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "serial/comdatapacket.hpp"
#include "serial/comport.hpp"

namespace helvanta {
namespace {

// The number of the EComPort that `action` raises; 0 when it raises none.
int ComErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EComPort& e) {
    return e.Number();
  }
  return 0;
}

// A receiving link makes TriggersOnRxChar read false: the port's own view of whether
// the framer listens.
bool Listened(const TCustomComPort& port) { return !port.TriggersOnRxChar(); }

TEST(TComDataPacketBinding, SetComPortRegistersTheLinkOnce) {
  TComPort port;
  TComDataPacket framer;
  EXPECT_FALSE(Listened(port));

  framer.SetComPort(&port);
  EXPECT_EQ(framer.ComPort(), &port);
  EXPECT_TRUE(Listened(port));
  EXPECT_EQ(ComErrorOf([&] { port.SetTriggersOnRxChar(true); }), kCeHasLink);
  // The link is on the port's list already: a second registration is refused.
  EXPECT_EQ(ComErrorOf([&] { port.RegisterLink(framer.Link()); }), kCeRegFailed);
  // Binding the same port again changes nothing.
  EXPECT_EQ(ComErrorOf([&] { framer.SetComPort(&port); }), 0);

  // A second framer brings a link of its own.
  TComDataPacket second;
  EXPECT_EQ(ComErrorOf([&] { second.SetComPort(&port); }), 0);
  framer.SetComPort(nullptr);
  EXPECT_EQ(framer.ComPort(), nullptr);
  EXPECT_EQ(ComErrorOf([&] { port.UnRegisterLink(framer.Link()); }), kCeRegFailed);
  EXPECT_TRUE(Listened(port));
  second.SetComPort(nullptr);
  EXPECT_FALSE(Listened(port));
  EXPECT_EQ(ComErrorOf([&] { framer.SetComPort(nullptr); }), 0);
}

TEST(TComDataPacketBinding, RebindingMovesTheLinkAndAFailedRegistrationPassesOn) {
  TComPort first;
  TComPort second;
  TComDataPacket framer;
  framer.SetComPort(&first);
  framer.SetComPort(&second);
  EXPECT_FALSE(Listened(first));
  EXPECT_TRUE(Listened(second));
  EXPECT_EQ(ComErrorOf([&] { first.UnRegisterLink(framer.Link()); }), kCeRegFailed);
  EXPECT_EQ(ComErrorOf([&] { second.RegisterLink(framer.Link()); }), kCeRegFailed);

  // The port's refusal reaches the caller; the link stays where it was registered.
  TComPort third;
  third.RegisterLink(framer.Link());
  EXPECT_EQ(ComErrorOf([&] { framer.SetComPort(&third); }), kCeRegFailed);
  EXPECT_FALSE(Listened(second));
  framer.SetComPort(nullptr);
  EXPECT_FALSE(Listened(third));
}

TEST(TComDataPacketBinding, DestroyingThePortUnbindsTheFramer) {
  TComDataPacket framer;
  std::vector<std::string> packets;
  framer.OnPacket = [&](TComDataPacket*, const std::string& str) { packets.push_back(str); };
  framer.SetSize(3);

  auto old = std::make_unique<TComPort>();
  auto port = std::make_unique<TComPort>();
  framer.SetComPort(old.get());
  framer.SetComPort(port.get());
  // The port the framer left may go first without touching the binding.
  old.reset();
  EXPECT_EQ(framer.ComPort(), port.get());
  EXPECT_TRUE(Listened(*port));

  framer.AddData("ab");
  port.reset();
  EXPECT_EQ(framer.ComPort(), nullptr);

  // The framer carries on: its buffer belongs to it, not to the port.
  framer.AddData("c");
  EXPECT_EQ(packets, std::vector<std::string>{"abc"});
  TComPort next;
  framer.SetComPort(&next);
  EXPECT_TRUE(Listened(next));
}

TEST(TComDataPacketBinding, DestroyingTheFramerUnregistersItsLink) {
  TComPort port;
  {
    TComDataPacket framer;
    framer.SetComPort(&port);
    EXPECT_TRUE(Listened(port));
  }
  EXPECT_FALSE(Listened(port));
  EXPECT_EQ(ComErrorOf([&] { port.SetTriggersOnRxChar(true); }), 0);

  // A link taken off the port behind the framer's back: unbinding is refused, but the
  // framer can still be destroyed.
  {
    TComDataPacket framer;
    framer.SetComPort(&port);
    port.UnRegisterLink(framer.Link());
    EXPECT_EQ(ComErrorOf([&] { framer.SetComPort(nullptr); }), kCeRegFailed);
    EXPECT_EQ(framer.ComPort(), &port);
  }
  EXPECT_FALSE(Listened(port));

  // Other components going away leave the binding alone.
  TComDataPacket framer;
  framer.SetComPort(&port);
  {
    TComDataPacket neighbour;
    neighbour.FreeNotification(&framer);
  }
  EXPECT_EQ(framer.ComPort(), &port);
}

}  // namespace
}  // namespace helvanta
