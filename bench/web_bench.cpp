// The web API over real HTTP with a synthetic year of minute rows (every minute of 2026,
// daylight power curve): median and p99 of /api/day (a random day each time) and of
// /api/energy?year= over 1000 requests each, one loopback connection per request.
// Targets: those of the history's queries plus the HTTP round trip, well under 100 ms.
//   web_bench [database path, default a new temporary folder]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "history/history_store.hpp"
#include "web/live_snapshot.hpp"
#include "web/web_routes.hpp"
#include "web/web_server.hpp"

namespace {

using namespace helvanta;
using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void PrintTimes(const char* what, std::vector<double> ms, std::size_t bytes) {
  std::sort(ms.begin(), ms.end());
  std::printf("%-26s median %8.3f ms   p99 %8.3f ms   (%zu requests, %zu bytes each on average)\n", what,
              ms[ms.size() / 2], ms[ms.size() * 99 / 100], ms.size(), bytes / ms.size());
}

// One GET with "Connection: close"; the answer's size, or 0 when it was not a 200.
std::size_t Fetch(int port, const std::string& target) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return 0;
  }
  const std::string request = "GET " + target + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
  if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size())) {
    close(fd);
    return 0;
  }
  std::string answer;
  char buffer[65536];
  ssize_t n = 0;
  while ((n = recv(fd, buffer, sizeof buffer, 0)) > 0) answer.append(buffer, static_cast<std::size_t>(n));
  close(fd);
  return answer.starts_with("HTTP/1.1 200") ? answer.size() : 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder;
  std::string path;
  if (argc > 1) {
    path = argv[1];
  } else {
    folder = (std::filesystem::temp_directory_path() / "helvanta-web-bench-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) {
      std::perror("mkdtemp");
      return 1;
    }
    path = folder + "/helvanta.sqlite";
  }
  constexpr int kDays = 365;
  const std::int64_t firstDay = DaysFromCivil(2026, 1, 1);
  {
    THistoryStore store;
    for (int day = 0; day < kDays; ++day) {
      std::vector<THistoryRow> rows(1440);
      std::int64_t energy = 0;
      for (int m = 0; m < 1440; ++m) {
        THistoryRow& row = rows[static_cast<std::size_t>(m)];
        row.utcMinute = (firstDay + day) * 1440 + m;
        const double sun = std::max(0.0, std::sin(M_PI * (m - 360) / 720.0));
        for (int r = 0; r < kDisplayRowCount; ++r) row.hundredths[static_cast<std::size_t>(r)] = 100 * r + m;
        row.hundredths[28].reset();
        row.hundredths[29].reset();
        row.texts[28] = "0000";
        row.texts[29] = "0001";
        row.hundredths[2] = static_cast<std::int64_t>(sun * 400'000);
        row.hundredths[5] = static_cast<std::int64_t>(sun * 420'000);
        energy += *row.hundredths[2] / 60;
        row.hundredths[10] = energy / 1000;
      }
      if (store.Write(path, rows).fault != THistoryFault::kNone) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
      }
    }
  }
  std::printf("a year of minute rows: %.1f MB\n", static_cast<double>(std::filesystem::file_size(path)) / 1e6);

  TSnapshotSlot slot;
  slot.Publish({{}, "{}", path});
  TWebRoutes routes(slot, "", "");
  TWebServer server(routes);
  if (const std::string error = server.Start({"127.0.0.1", 0}); !error.empty()) {
    std::fprintf(stderr, "cannot listen: %s\n", error.c_str());
    return 1;
  }
  std::mt19937 random(42);
  std::uniform_int_distribution<int> dayOf(0, kDays - 1);
  std::vector<double> days;
  std::size_t dayBytes = 0;
  for (int i = 0; i < 1000; ++i) {
    const DateTime date = FromEpochMilliseconds((firstDay + dayOf(random)) * 86'400'000);
    char target[40];
    std::snprintf(target, sizeof target, "/api/day?date=%04d-%02d-%02d", date.year, date.month, date.day);
    const auto t0 = Clock::now();
    const std::size_t bytes = Fetch(server.Port(), target);
    days.push_back(Ms(Clock::now() - t0));
    if (bytes == 0) return 1;
    dayBytes += bytes;
  }
  PrintTimes("/api/day", days, dayBytes);
  std::vector<double> years;
  std::size_t yearBytes = 0;
  for (int i = 0; i < 1000; ++i) {
    const auto t0 = Clock::now();
    const std::size_t bytes = Fetch(server.Port(), "/api/energy?year=2026");
    years.push_back(Ms(Clock::now() - t0));
    if (bytes == 0) return 1;
    yearBytes += bytes;
  }
  PrintTimes("/api/energy?year=2026", years, yearBytes);
  server.Stop();
  if (!folder.empty()) std::filesystem::remove_all(folder);
  return 0;
}
