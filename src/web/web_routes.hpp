#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "web/http_response.hpp"
#include "web/live_snapshot.hpp"

namespace helvanta {

class THistoryReader;

// One request as the server's library parsed it.
struct THttpRequest {
  std::string_view method;
  std::string_view path;         // without the query, percent-decoded
  std::size_t targetLength = 0;  // of the request target as sent, query included
  std::optional<std::string_view> authorization;
  std::optional<std::string_view> ifNoneMatch;  // the entity tags the browser holds
  // A query argument by name, percent-decoded; nothing when the query lacks it.
  std::function<std::optional<std::string_view>(std::string_view name)> argument;
};

// Longest request target answered; anything longer is no request of this page.
inline constexpr std::size_t kMaxTargetLength = 1024;

// What every URL leads to: the page compiled into the program, two files of Dygraphs
// from a fixed folder, and the JSON API. Nothing else of the disk can be named by a URL.
// Called on the server's threads only: it reads the live state from the slot and the
// history through a reader of its own.
class TWebRoutes {
 public:
  TWebRoutes(const TSnapshotSlot& slot, std::string user, std::string password,
             std::string dygraphsFolder = "/usr/share/javascript/dygraphs/");
  ~TWebRoutes();
  TWebRoutes(const TWebRoutes&) = delete;
  TWebRoutes& operator=(const TWebRoutes&) = delete;

  THttpResponse Answer(const THttpRequest& request);

 private:
  THttpResponse Api(const THttpRequest& request, const TWebSnapshot& snapshot);
  THttpResponse Dygraphs(std::string_view name, std::string_view contentType) const;
  THistoryReader& Reader(const std::string& path);

  const TSnapshotSlot& slot_;
  std::string user_;
  std::string password_;
  std::string dygraphsFolder_;
  std::vector<std::string> pageTags_;  // one per page file, from its content
  std::mutex readerMutex_;
  std::unique_ptr<THistoryReader> reader_;
};

}  // namespace helvanta
