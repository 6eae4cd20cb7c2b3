// The web page's listening socket and how clients' addresses are named.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netinet/in.h>
#include <sys/socket.h>
#endif

#include <cstring>

#include "web/listen_socket.hpp"

namespace helvanta {
namespace {

TEST(ListenSocketTest, PortZeroGetsAFreePort) {
  const TListenSocket socket = OpenListenSocket({"localhost", 0});
  ASSERT_GE(socket.handle, 0) << socket.error;
  EXPECT_GT(socket.port, 0);
  EXPECT_EQ(socket.error, "");
  CloseListenSocket(socket.handle);
}

TEST(ListenSocketTest, ATakenPortOrAHostThatIsNoAddressSaysWhy) {
  const TListenSocket first = OpenListenSocket({"127.0.0.1", 0});
  ASSERT_GE(first.handle, 0) << first.error;
  const TListenSocket second = OpenListenSocket({"127.0.0.1", first.port});
  EXPECT_EQ(second.handle, -1);
  EXPECT_EQ(second.port, 0);
  EXPECT_NE(second.error, "");
  CloseListenSocket(first.handle);
  const TListenSocket named = OpenListenSocket({"helvanta.invalid", 8080});
  EXPECT_EQ(named.handle, -1);
  EXPECT_NE(named.error, "");
}

TEST(ListenSocketTest, NamesIPv4IPv6AndMappedClients) {
  sockaddr_in v4{};
  v4.sin_family = AF_INET;
  const unsigned char v4Bytes[4] = {192, 0, 2, 7};
  std::memcpy(&v4.sin_addr, v4Bytes, sizeof v4Bytes);
  EXPECT_EQ(AddressText(&v4), "192.0.2.7");

  sockaddr_in6 v6{};
  v6.sin6_family = AF_INET6;
  const unsigned char v6Bytes[16] = {0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
  std::memcpy(&v6.sin6_addr, v6Bytes, sizeof v6Bytes);
  EXPECT_EQ(AddressText(&v6), "2001:db8::1");

  const unsigned char mappedBytes[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff, 198, 51, 100, 4};
  std::memcpy(&v6.sin6_addr, mappedBytes, sizeof mappedBytes);
  EXPECT_EQ(AddressText(&v6), "198.51.100.4");

  sockaddr other{};
  other.sa_family = AF_UNSPEC;
  EXPECT_EQ(AddressText(&other), "");
  EXPECT_EQ(AddressText(nullptr), "");
}

}  // namespace
}  // namespace helvanta
