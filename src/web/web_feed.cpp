#include "web/web_feed.hpp"

#include "config/language.hpp"
#include "config/text_keys.hpp"
#include "logging/log_record.hpp"
#include "runtime/shared_library.hpp"
#include "web/microhttpd_library.hpp"
#include "web/web_routes.hpp"
#include "web/web_server.hpp"

namespace helvanta {

namespace {

constexpr std::int64_t kUnreadRefreshMs = 10'000;

std::string PageAddress(const TListenAddress& address, int port) {
  return "http://" + TListenAddress{address.host, port}.Text() + "/";
}

}  // namespace

TWebFeed::TWebFeed() = default;

TWebFeed::~TWebFeed() { Stop(); }

std::vector<THostMessage> TWebFeed::Start(const THostStart& start) {
  Stop();
  settings_ = LoadWebSettings(start.replaced);
  if (settings_.Enabled) LoadEarly([] { Microhttpd(); });
  refused_ = false;
  retry_ = RetrySchedule{};
  lastRecord_.reset();
  return {};
}

void TWebFeed::Stop() {
  server_.reset();
  routes_.reset();
}

bool TWebFeed::Listening() const { return server_ && server_->Running(); }

int TWebFeed::Port() const { return Listening() ? server_->Port() : 0; }

void TWebFeed::AfterLogger(const THostLogged& logged) {
  if (logged.recordWritten) lastRecord_ = logged.now;
}

std::vector<THostMessage> TWebFeed::Tick(const THostTick& tick) {
  const TLanguageList& list = tick.language;
  const std::string_view lineBreak = tick.lineBreak;
  std::vector<THostMessage> messages;
  if (!settings_.Enabled || refused_) return messages;
  const TListenAddress& listen = settings_.Listen;
  if (!routes_) {
    // A password would cross the network in the clear, and without one anybody could read.
    if (!IsLoopbackHost(listen.host) && !settings_.HasCredentials()) {
      refused_ = true;
      messages.push_back({THostMessage::Severity::kError,
                          ComposeKeyMessage(list, text_key::kWebNeedsLogin, listen.Text(), lineBreak)});
      return messages;
    }
    routes_ = std::make_unique<TWebRoutes>(slot_, settings_.User, settings_.Password);
    server_ = std::make_unique<TWebServer>(*routes_);
  }
  const DateTime now = tick.reading.Local();
  const std::int64_t nowMs = tick.reading.elapsedMs;
  // The values' JSON is most of what the page costs while nobody looks at it: unread, a
  // snapshot every few seconds does (each value is asked for only every 45 s anyway).
  if (slot_.TakeRead() || nowMs - publishedAtMs_ >= kUnreadRefreshMs) {
    slot_.Publish({LiveParts({now, tick.portOpen, tick.port, tick.device, lastRecord_, DailyLogFilePath(now)}),
                   tick.historyPath, MetricsFigures(tick.port, tick.figures, nowMs)});
    publishedAtMs_ = nowMs;
  }
  if (const std::string logins = routes_->TakeLoginReport(); !logins.empty()) {
    messages.push_back(
        {THostMessage::Severity::kWarning, ComposeKeyMessage(list, text_key::kWebWrongLogins, logins, lineBreak)});
  }
  if (server_->Running() || !retry_.Due(nowMs)) return messages;
  const std::string error = server_->Start(listen);
  if (error.empty()) {
    const std::string_view key = retry_.Succeeded() ? text_key::kWebListeningAgain : text_key::kWebListening;
    messages.push_back({THostMessage::Severity::kInformation,
                        ComposeKeyMessage(list, key, PageAddress(listen, server_->Port()), lineBreak)});
    return messages;
  }
  const std::string reason = listen.Text() + " (" + error + ")";
  switch (retry_.Failed(nowMs)) {
    case FailureReport::kFirst:
      messages.push_back(
          {THostMessage::Severity::kError, ComposeKeyMessage(list, text_key::kWebNotListening, reason, lineBreak)});
      break;
    case FailureReport::kReminder:
      messages.push_back({THostMessage::Severity::kError,
                          ComposeKeyMessage(list, text_key::kWebStillNotListening, reason, lineBreak)});
      break;
    case FailureReport::kNone: break;
  }
  return messages;
}

}  // namespace helvanta
