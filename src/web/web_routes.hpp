#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "web/history_api.hpp"
#include "web/http_response.hpp"
#include "web/live_snapshot.hpp"
#include "web/login_guard.hpp"
#include "web/static_files.hpp"

namespace helvanta {

class THistoryReader;

// One request as the server's library parsed it.
struct THttpRequest {
  std::string_view method;
  std::string_view path;         // without the query, percent-decoded
  std::size_t targetLength = 0;  // of the request target as sent, query included
  std::size_t arguments = 0;     // query arguments in the target
  std::optional<std::string_view> authorization;
  std::optional<std::string_view> ifNoneMatch;     // the entity tags the browser holds
  std::optional<std::string_view> acceptEncoding;  // the codings the browser takes
  std::string_view client;                         // the address the request came from
  // A query argument by name, percent-decoded; nothing when the query lacks it.
  std::function<std::optional<std::string_view>(std::string_view name)> argument;
};

// Longest request target answered; anything longer is no request of this page.
inline constexpr std::size_t kMaxTargetLength = 1024;
// Most query arguments answered: the API takes two.
inline constexpr std::size_t kMaxArguments = 16;

// What every URL leads to: the page compiled into the program, two files of Dygraphs
// from a fixed folder, and the JSON API with its stream of live values. Nothing else of
// the disk can be named by a URL. Called on the server's threads only: it reads the live
// state from the slot and the history through a reader of its own.
class TWebRoutes {
 public:
  TWebRoutes(TSnapshotSlot& slot, std::string user, std::string password,
             std::string dygraphsFolder = "/usr/share/javascript/dygraphs/");
  ~TWebRoutes();
  TWebRoutes(const TWebRoutes&) = delete;
  TWebRoutes& operator=(const TWebRoutes&) = delete;

  THttpResponse Answer(const THttpRequest& request);
  // Streams and held-back answers end at once from EndWaits until OpenWaits.
  void EndWaits() { slot_.Close(); }
  void OpenWaits() { slot_.Open(); }
  // The wrong logins to report now (see TLoginGuard::TakeReport).
  std::string TakeLoginReport();

 private:
  THttpResponse Api(const THttpRequest& request, const TWebSnapshot& snapshot);
  THttpResponse StaticFile(const THttpRequest& request);
  // A reader of the database for this request alone, so that requests read side by side.
  std::unique_ptr<THistoryReader> TakeReader(const std::string& path);
  void ReturnReader(std::unique_ptr<THistoryReader> reader);

  TSnapshotSlot& slot_;
  std::string user_;
  std::string password_;
  TStaticFiles files_;
  TLoginGuard logins_;
  std::mutex readersMutex_;
  std::vector<std::unique_ptr<THistoryReader>> idleReaders_;
  TDayAnswers days_;
};

}  // namespace helvanta
