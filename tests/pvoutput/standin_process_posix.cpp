#include "pvoutput/standin_process_posix.hpp"

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "support/spawn_posix.hpp"
#include "web/http_client.hpp"

namespace helvanta::testing {

namespace {

void Run(const std::string& command) {
  if (std::system((command + " >/dev/null 2>&1").c_str()) != 0) throw std::runtime_error("failed: " + command);
}

}  // namespace

bool StandInPvoutput::Available() {
  return std::system("command -v python3 >/dev/null 2>&1 && command -v openssl >/dev/null 2>&1") == 0;
}

StandInPvoutput::StandInPvoutput(const std::string& subjectAltName, int interval) {
  const std::string dir = folder_.Path();
  caFile_ = dir + "ca.crt";
  const std::string ec = "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 ";
  Run(ec + "-keyout " + dir + "ca.key -out " + caFile_ + " -subj /CN=HelvantaTestCA");
  folder_.WriteFile("san.ext", "subjectAltName=" + subjectAltName + "\n");
  Run("openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout " + dir + "server.key -out " + dir +
      "server.csr -subj /CN=standin");
  Run("openssl x509 -req -in " + dir + "server.csr -CA " + caFile_ + " -CAkey " + dir +
      "ca.key -CAcreateserial -days 2 -extfile " + dir + "san.ext -out " + dir + "server.crt");
  const std::string ready = dir + "ready";
  pid_ = SpawnWithOutput({"python3", HELVANTA_SOURCE_DIR "/tests/pvoutput/pvoutput_standin.py", "--cert",
                          dir + "server.crt", "--key", dir + "server.key", "--system-id", kSystemId, "--api-key",
                          kApiKey, "--interval", std::to_string(interval), "--ready", ready},
                         dir + "standin.log");
  if (pid_ < 0) throw std::runtime_error("cannot start the stand-in");
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!folder_.Exists("ready")) {
    if (std::chrono::steady_clock::now() > deadline) {
      throw std::runtime_error("the stand-in does not listen: " + folder_.ReadFile("standin.log"));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::istringstream ports(folder_.ReadFile("ready"));
  ports >> apiPort_ >> controlPort_;
}

StandInPvoutput::~StandInPvoutput() {
  if (pid_ > 0) KillAndReap(pid_);
}

std::string StandInPvoutput::Control(const std::string& target) const {
  const THttpAnswer answer = Get(controlPort_, target);
  if (answer.status != 200) throw std::runtime_error("stand-in control " + target + " failed");
  return answer.body;
}

std::vector<std::string> StandInPvoutput::Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace helvanta::testing
