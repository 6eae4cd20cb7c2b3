#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/settings.hpp"
#include "config/web_settings.hpp"
#include "runtime/clock.hpp"
#include "runtime/host_output.hpp"
#include "runtime/retry_schedule.hpp"
#include "web/live_snapshot.hpp"

namespace helvanta {

class TLanguageList;
class TWebRoutes;
class TWebServer;

// The web page's part of the host, the same for the window and the service: reads [Web],
// hands the live state to the server once a tick, and starts the server, trying again
// with growing gaps while the address cannot be listened on. With [Web] absent every
// call does nothing.
class TWebFeed : public THostOutput {
 public:
  TWebFeed();
  ~TWebFeed() override;
  TWebFeed(const TWebFeed&) = delete;
  TWebFeed& operator=(const TWebFeed&) = delete;

  // Reads [Web]. The server starts at the first tick.
  std::vector<THostMessage> Start(const THostStart& start) override;
  void Stop() override;
  // It reads the measurand table.
  std::vector<THostMessage> Tick(const THostTick& tick) override;
  // A written record is the page's "last record".
  void AfterLogger(const THostLogged& logged) override;

  bool Listening() const;
  // The port listened on (0 when not listening).
  int Port() const;

 private:
  TWebSettings settings_;
  bool refused_ = false;
  RetrySchedule retry_;
  std::optional<DateTime> lastRecord_;
  std::int64_t publishedAtMs_ = 0;
  TSnapshotSlot slot_;
  std::unique_ptr<TWebRoutes> routes_;
  std::unique_ptr<TWebServer> server_;
};

}  // namespace helvanta
