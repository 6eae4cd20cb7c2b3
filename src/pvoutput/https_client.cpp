#include "pvoutput/https_client.hpp"

#include <charconv>

#include "pvoutput/curl_library.hpp"

namespace helvanta {

namespace {

// PVOutput's answers are a line of text; anything far longer is not one of them.
constexpr std::size_t kMaxBodyBytes = 64 * 1024;

std::size_t Collect(char* data, std::size_t size, std::size_t count, void* target) {
  auto& body = *static_cast<std::string*>(target);
  const std::size_t bytes = size * count;
  if (body.size() + bytes > kMaxBodyBytes) return 0;
  body.append(data, bytes);
  return bytes;
}

int Progress(void* stop, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<const std::atomic<bool>*>(stop)->load() ? 1 : 0;
}

std::optional<std::int64_t> HeaderNumber(CURL* curl, const char* name) {
  curl_header* header = nullptr;
  if (Curl().easy_header(curl, name, 0, CURLH_HEADER, -1, &header) != CURLHE_OK) return std::nullopt;
  const std::string_view text = header->value;
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

THttpsClient::THttpsClient(long timeoutMs, std::string caFile, const std::atomic<bool>& stop)
    : handle_(nullptr), timeoutMs_(timeoutMs), caFile_(std::move(caFile)), stop_(stop) {
  handle_ = Curl().easy_init();
  if (handle_ == nullptr) throw EPvoutputSetup("libcurl: no handle");
}

THttpsClient::~THttpsClient() { Curl().easy_cleanup(handle_); }

THttpsAnswer THttpsClient::Post(const THttpsPost& post) {
  const CurlLibrary& curl = Curl();
  CURL* h = handle_;
  THttpsAnswer answer;
  curl_slist* headers = nullptr;
  for (const std::string& header : post.headers) headers = curl.slist_append(headers, header.c_str());
  curl.easy_setopt(h, CURLOPT_URL, post.url.c_str());
  curl.easy_setopt(h, CURLOPT_HTTPHEADER, headers);
  curl.easy_setopt(h, CURLOPT_POSTFIELDS, post.body.c_str());
  curl.easy_setopt(h, CURLOPT_POSTFIELDSIZE, static_cast<long>(post.body.size()));
  curl.easy_setopt(h, CURLOPT_WRITEFUNCTION, Collect);
  curl.easy_setopt(h, CURLOPT_WRITEDATA, &answer.body);
  curl.easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
  curl.easy_setopt(h, CURLOPT_XFERINFOFUNCTION, Progress);
  curl.easy_setopt(h, CURLOPT_XFERINFODATA, &stop_);
  // Threads and signals do not mix; the timeout then needs no alarm.
  curl.easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl.easy_setopt(h, CURLOPT_TIMEOUT_MS, timeoutMs_);
  curl.easy_setopt(h, CURLOPT_PROTOCOLS_STR, "https,http");
  if (!caFile_.empty()) curl.easy_setopt(h, CURLOPT_CAINFO, caFile_.c_str());
  char reason[CURL_ERROR_SIZE] = {};
  curl.easy_setopt(h, CURLOPT_ERRORBUFFER, reason);
  const CURLcode code = curl.easy_perform(h);
  curl.slist_free_all(headers);
  curl.easy_setopt(h, CURLOPT_HTTPHEADER, nullptr);
  curl.easy_setopt(h, CURLOPT_ERRORBUFFER, nullptr);
  if (code != CURLE_OK) {
    answer.transportError = reason[0] != '\0' ? reason : curl.easy_strerror(code);
    answer.body.clear();
    return answer;
  }
  curl.easy_getinfo(h, CURLINFO_RESPONSE_CODE, &answer.status);
  answer.rateRemaining = HeaderNumber(h, "X-Rate-Limit-Remaining");
  answer.rateResetUtcS = HeaderNumber(h, "X-Rate-Limit-Reset");
  return answer;
}

}  // namespace helvanta
