#pragma once

#include <cstddef>
#include <string>

#include "config/web_settings.hpp"

struct MHD_Daemon;

namespace helvanta {

class TWebRoutes;

// The embedded HTTP server (libmicrohttpd): threads of its own, one per connection, so
// neither a slow client nor a slow request ever reaches the main thread or another
// client. The limits keep a flood of connections, one address holding many of them, or a
// client that sends nothing from starving the page.
class TWebServer {
 public:
  struct TLimits {
    unsigned connections = 64;
    unsigned connectionsPerAddress = 16;       // a browser opens 6, and one more per open page
    unsigned idleSeconds = 10;                 // a connection silent this long is closed
    std::size_t connectionMemory = 48 * 1024;  // request line, headers and query arguments must fit
  };

  explicit TWebServer(TWebRoutes& routes) : TWebServer(routes, TLimits{}) {}
  TWebServer(TWebRoutes& routes, TLimits limits);
  ~TWebServer();
  TWebServer(const TWebServer&) = delete;
  TWebServer& operator=(const TWebServer&) = delete;

  // Listens on the address (port 0: any free one) and starts answering; returns "" or
  // the reason it cannot.
  std::string Start(const TListenAddress& address);
  // Ends every connection and the server's thread.
  void Stop();
  bool Running() const { return daemon_ != nullptr; }
  // The port listened on.
  int Port() const { return port_; }

 private:
  TWebRoutes& routes_;
  TLimits limits_;
  MHD_Daemon* daemon_ = nullptr;
  int port_ = 0;
};

}  // namespace helvanta
