#pragma once

#include <string>

namespace helvanta::testing {

// What came back for one request: status 0 when no answer came within the time.
struct THttpAnswer {
  int status = 0;
  std::string head;
  std::string body;
};

// Sends the raw request bytes to 127.0.0.1:port on a new connection and reads the
// answer until the server closes it (the request should ask for "Connection: close").
// From another loopback address than 127.0.0.1 when `from` names one ("127.0.0.2").
THttpAnswer SendRaw(int port, const std::string& request, int timeoutMs = 5000, const char* from = nullptr);

// GET target with "Connection: close" and any extra header lines ("Name: value\r\n").
THttpAnswer Get(int port, const std::string& target, const std::string& extraHeaders = "");

// A connected socket that sends nothing; -1 when it could not connect.
int ConnectSilently(int port, const char* from = nullptr);

}  // namespace helvanta::testing
