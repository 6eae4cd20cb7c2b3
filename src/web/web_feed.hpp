#pragma once

#include "runtime/host_message.hpp"
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/settings.hpp"
#include "config/web_settings.hpp"
#include "runtime/clock.hpp"
#include "runtime/retry_schedule.hpp"
#include "web/live_snapshot.hpp"

namespace helvanta {

class TLanguageList;
class TWebRoutes;
class TWebServer;

// A message for the host's event log or status bar.
using TWebMessage = THostMessage;

// What the host knows at a tick that the page shows.
struct TWebHostState {
  bool connected = false;
  std::string port;         // the port's name ("COM1")
  std::string device;       // its device file
  std::string historyPath;  // the history database
};

// The web page's part of the host, the same for the window and the service: reads [Web],
// hands the live state to the server once a tick, and starts the server, trying again
// with growing gaps while the address cannot be listened on. With [Web] absent every
// call does nothing.
class TWebFeed {
 public:
  TWebFeed();
  ~TWebFeed();
  TWebFeed(const TWebFeed&) = delete;
  TWebFeed& operator=(const TWebFeed&) = delete;

  // Reads [Web]; replaced values go to replaced. The server starts at the first tick.
  void Start(std::vector<TReplacedSetting>& replaced);
  void Stop();

  // Once a tick, on the main thread (it reads the measurand table).
  std::vector<TWebMessage> Tick(const ClockReading& reading, const TWebHostState& state, const TLanguageList& list,
                                std::string_view lineBreak);
  // The logger's outcome at now: a written record is the page's "last record".
  void AfterLogger(bool recordWritten, const DateTime& now);

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
