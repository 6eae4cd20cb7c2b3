#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runtime/host_output.hpp"

namespace helvanta {

class TPvoutputUploader;

// The uploads to PVOutput as one of the host's outputs: started from the [PVOutput]
// section, handed each tick on the main thread, its upload thread's reports worded.
// With the section off every call does nothing.
class TPvoutputFeed : public THostOutput {
 public:
  // caFile: certificates trusted beside the system's store, and timeoutMs the longest
  // wait for an answer; both for tests only.
  explicit TPvoutputFeed(std::string caFile = {}, long timeoutMs = 20'000);
  ~TPvoutputFeed() override;
  TPvoutputFeed(const TPvoutputFeed&) = delete;
  TPvoutputFeed& operator=(const TPvoutputFeed&) = delete;

  // Reads and checks the section; returns what to tell: a key others can read, a key
  // file that cannot be read (uploads stay off then), an unencrypted address.
  std::vector<THostMessage> Start(const THostStart& start) override;
  void Stop() override;
  std::vector<THostMessage> Tick(const THostTick& tick) override;
  void AfterLogger(const THostLogged&) override {}

  bool Running() const { return uploader_ != nullptr; }
  // Whether PVOutput answered the last request with 200, and when it last did (UTC
  // milliseconds), as of the last tick.
  bool Connected() const { return connected_; }
  std::optional<std::int64_t> LastSuccessUtcMs() const { return lastSuccessUtcMs_; }
  // The two for the metrics; nothing while uploads are off.
  std::optional<TOutputLink> Link() const override;
  // For tests: waits until the upload thread has dealt with the last tick.
  void WaitIdle();

 private:
  std::string caFile_;
  long timeoutMs_;
  std::unique_ptr<TPvoutputUploader> uploader_;
  bool connected_ = false;
  std::optional<std::int64_t> lastSuccessUtcMs_;
};

}  // namespace helvanta
