#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "support/temp_folder.hpp"

namespace helvanta::testing {

// The stand-in PVOutput (pvoutput_standin.py) as a child process: HTTPS on a free
// loopback port with a certificate from a CA the fixture makes, for the names in
// subjectAltName, and its plain control port.
class StandInPvoutput {
 public:
  static constexpr const char* kSystemId = "4242";
  static constexpr const char* kApiKey = "0123456789abcdef0123456789abcdef01234567";

  explicit StandInPvoutput(const std::string& subjectAltName = "IP:127.0.0.1,DNS:localhost", int interval = 5);
  ~StandInPvoutput();
  StandInPvoutput(const StandInPvoutput&) = delete;
  StandInPvoutput& operator=(const StandInPvoutput&) = delete;

  // Whether python3 and openssl are there to run it.
  static bool Available();

  std::string Url() const { return "https://127.0.0.1:" + std::to_string(apiPort_); }
  const std::string& CaFile() const { return caFile_; }
  // A control request ("/mode?name=401"); its answer's body.
  std::string Control(const std::string& target) const;
  std::vector<std::string> Statuses() const { return Lines(Control("/statuses")); }
  std::vector<std::string> Outputs() const { return Lines(Control("/outputs")); }
  int Requests() const { return std::stoi(Control("/requests")); }

 private:
  static std::vector<std::string> Lines(const std::string& text);

  TempFolder folder_;
  std::string caFile_;
  int apiPort_ = 0;
  int controlPort_ = 0;
  pid_t pid_ = -1;
};

}  // namespace helvanta::testing
