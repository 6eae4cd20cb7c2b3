// The web API over real HTTP with synthetic years of minute rows (every minute of 2026
// and the years before it, daylight power curve): median and p99 of /api/day (a random
// day each time) and of /api/energy?year= over 1000 requests each, one loopback
// connection per request; /api/day from 20 clients at once; /api/live for a second
// address while one address holds 300 slow connections (a byte every 5 s); and what a
// browser's cold load of the page moves, compressed and not.
// Targets: /api/day p99 below 20 ms with 20 clients, /api/live within 1 s under the slow
// connections, a cold load below 80 kB.
//   web_bench [database path, default a new temporary folder] [years, default 1]
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
#include <thread>
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

// A connection to the server from a loopback address; -1 when none could be made.
int Connect(int port, const char* from = "127.0.0.1") {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in source{};
  source.sin_family = AF_INET;
  inet_pton(AF_INET, from, &source.sin_addr);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(fd, reinterpret_cast<sockaddr*>(&source), sizeof source) != 0 ||
      connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// One GET with "Connection: close"; the answer's size, or 0 when it was not a 200.
std::size_t Fetch(int port, const std::string& target, const std::string& headers = "",
                  const char* from = "127.0.0.1") {
  const int fd = Connect(port, from);
  if (fd < 0) return 0;
  std::string request = "GET ";
  request += target;
  request += " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n";
  request += headers;
  request += "\r\n";
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

// 20 clients at once (each from an address of its own, as 20 browsers are), each asking
// for 100 random days, a connection per request.
void ConcurrentDays(int port, std::int64_t firstDay, int days) {
  constexpr int kClients = 20;
  std::vector<std::vector<double>> times(kClients);
  const auto t0 = Clock::now();
  std::vector<std::thread> clients;
  for (int c = 0; c < kClients; ++c) {
    clients.emplace_back([&, c] {
      std::mt19937 random(static_cast<unsigned>(c));
      std::uniform_int_distribution<int> dayOf(0, days - 1);
      const std::string from = "127.0.0." + std::to_string(10 + c);
      for (int i = 0; i < 100; ++i) {
        const DateTime date = FromEpochMilliseconds((firstDay + dayOf(random)) * 86'400'000);
        char target[40];
        std::snprintf(target, sizeof target, "/api/day?date=%04d-%02d-%02d", date.year, date.month, date.day);
        const auto start = Clock::now();
        if (Fetch(port, target, "", from.c_str()) == 0) std::fprintf(stderr, "a request failed\n");
        times[static_cast<std::size_t>(c)].push_back(Ms(Clock::now() - start));
      }
    });
  }
  for (std::thread& client : clients) client.join();
  const double seconds = Ms(Clock::now() - t0) / 1000;
  std::vector<double> all;
  for (const auto& t : times) all.insert(all.end(), t.begin(), t.end());
  PrintTimes("/api/day, 20 clients", all, 0);
  std::printf("%-26s %.0f requests/s\n", "", static_cast<double>(all.size()) / seconds);
}

// One address opens 300 connections and trickles a byte every 5 s into each; another
// address asks for /api/live twice a second meanwhile.
void SlowConnections(int port) {
  std::vector<int> slow;
  for (int i = 0; i < 300; ++i) slow.push_back(Connect(port));
  std::vector<double> times;
  int unanswered = 0;
  const auto t0 = Clock::now();
  for (int tick = 0; Clock::now() - t0 < std::chrono::seconds(12); ++tick) {
    if (tick % 10 == 0) {
      for (const int fd : slow) {
        if (fd >= 0) send(fd, tick == 0 ? "GET /api/live HTTP/1.1\r\nX: " : "a", tick == 0 ? 28 : 1, MSG_NOSIGNAL);
      }
    }
    const auto start = Clock::now();
    if (Fetch(port, "/api/live", "", "127.0.0.2") == 0) ++unanswered;
    times.push_back(Ms(Clock::now() - start));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
  }
  for (const int fd : slow) {
    if (fd >= 0) close(fd);
  }
  std::sort(times.begin(), times.end());
  std::printf("/api/live from a 2nd address under 300 slow connections: longest %.1f ms, %d unanswered of %zu\n",
              times.back(), unanswered, times.size());
}

// What a browser's first load of the page moves: its files, Dygraphs, the day's series,
// the month's and year's energies and the first event of the live values.
void ColdLoad(int port) {
  const std::vector<std::string> targets{"/",
                                         "/app.js",
                                         "/style.css",
                                         "/dygraphs/dygraph.min.js",
                                         "/dygraphs/dygraph.min.css",
                                         "/api/day?date=2026-06-21",
                                         "/api/energy?month=2026-06",
                                         "/api/energy?year=2026",
                                         "/api/live"};
  for (const std::string& encoding : {std::string("Accept-Encoding: gzip, deflate, br\r\n"), std::string()}) {
    std::size_t total = 0;
    for (const std::string& target : targets) total += Fetch(port, target, encoding);
    std::printf("cold load %-16s %.1f kB (answers with their headers)\n",
                encoding.empty() ? "uncompressed:" : "with gzip:", static_cast<double>(total) / 1000);
  }
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
  const int years = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
  {
    THistoryStore store;
    for (int day = -365 * (years - 1); day < kDays; ++day) {
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
  std::printf("%d year(s) of minute rows: %.1f MB\n", years,
              static_cast<double>(std::filesystem::file_size(path)) / 1e6);

  // Today, as the page sees it, is a summer day of the year stored.
  TLiveParts today;
  today.fields[1] = "\"2026-06-21\"";
  TSnapshotSlot slot;
  slot.Publish({today, path});
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
  std::vector<double> yearTimes;
  std::size_t yearBytes = 0;
  for (int i = 0; i < 1000; ++i) {
    const auto t0 = Clock::now();
    const std::size_t bytes = Fetch(server.Port(), "/api/energy?year=2026");
    yearTimes.push_back(Ms(Clock::now() - t0));
    if (bytes == 0) return 1;
    yearBytes += bytes;
  }
  PrintTimes("/api/energy?year=2026", yearTimes, yearBytes);
  ConcurrentDays(server.Port(), firstDay, kDays);
  SlowConnections(server.Port());
  ColdLoad(server.Port());
  server.Stop();
  if (!folder.empty()) std::filesystem::remove_all(folder);
  return 0;
}
