#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace helvanta {

struct THttpsPost {
  std::string url;
  std::vector<std::string> headers;  // "Name: value"
  std::string body;                  // application/x-www-form-urlencoded
};

// What came back: a transport error (no answer at all), or a status with its body and
// the rate-limit headers PVOutput adds.
struct THttpsAnswer {
  std::string transportError;
  long status = 0;
  std::string body;
  std::optional<std::int64_t> rateRemaining;
  std::optional<std::int64_t> rateResetUtcS;
};

// POSTs through libcurl on the calling thread, one connection kept between requests.
// Certificates are checked against the system's store (or a CA file the tests give).
// An answer slower than timeoutMs, or a stop asked for, ends the request.
class THttpsClient {
 public:
  // Throws EPvoutputSetup when libcurl cannot be loaded.
  THttpsClient(long timeoutMs, std::string caFile, const std::atomic<bool>& stop);
  ~THttpsClient();
  THttpsClient(const THttpsClient&) = delete;
  THttpsClient& operator=(const THttpsClient&) = delete;

  THttpsAnswer Post(const THttpsPost& post);

 private:
  void* handle_;
  long timeoutMs_;
  std::string caFile_;
  const std::atomic<bool>& stop_;
};

}  // namespace helvanta
