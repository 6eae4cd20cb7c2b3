#include "web/devtools_browser_posix.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <optional>
#include <thread>
#include <vector>

#include "text/base64.hpp"
#include "text/utf8_text.hpp"

extern char** environ;

namespace helvanta::testing {

namespace {

// The JSON string that follows `"name":"` in a message, unescaped; "" when there is none.
std::string StringMember(const std::string& message, const std::string& name) {
  const std::string opening = "\"" + name + "\":\"";
  std::size_t at = message.find(opening);
  if (at == std::string::npos) return {};
  std::string value;
  for (at += opening.size(); at < message.size() && message[at] != '"'; ++at) {
    if (message[at] != '\\' || at + 1 >= message.size()) {
      value += message[at];
      continue;
    }
    const char escaped = message[++at];
    if (escaped == 'n') {
      value += '\n';
    } else if (escaped == 't') {
      value += '\t';
    } else if (escaped == 'u' && at + 4 < message.size()) {
      AppendUtf8(value, static_cast<std::uint32_t>(std::stoul(message.substr(at + 1, 4), nullptr, 16)));
      at += 4;
    } else {
      value += escaped;
    }
  }
  return value;
}

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    if (c == '\n') {
      out += "\\n";
      continue;
    }
    out += c;
  }
  return out + "\"";
}

}  // namespace

TDevToolsBrowser::TDevToolsBrowser(const std::string& chromium, const std::string& profileFolder) {
  int toBrowser[2];
  int fromBrowser[2];
  if (pipe2(toBrowser, O_CLOEXEC) != 0) return;
  if (pipe2(fromBrowser, O_CLOEXEC) != 0) {
    close(toBrowser[0]);
    close(toBrowser[1]);
    return;
  }
  // The browser reads its commands on descriptor 3 and answers on 4; the pipe's own
  // descriptors move above those first, so that placing one cannot close another.
  for (int* end : {&toBrowser[0], &toBrowser[1], &fromBrowser[0], &fromBrowser[1]}) {
    const int moved = fcntl(*end, F_DUPFD_CLOEXEC, 10);
    close(*end);
    *end = moved;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, toBrowser[0], 3);
  posix_spawn_file_actions_adddup2(&actions, fromBrowser[1], 4);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<std::string> words{chromium,
                                 "--headless",
                                 "--no-sandbox",
                                 "--disable-gpu",
                                 "--user-data-dir=" + profileFolder,
                                 "--remote-debugging-pipe",
                                 "about:blank"};
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  if (posix_spawn(&pid_, chromium.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(toBrowser[0]);
  close(fromBrowser[1]);
  commands_ = toBrowser[1];
  answers_ = fromBrowser[0];
}

TDevToolsBrowser::~TDevToolsBrowser() {
  if (commands_ >= 0) close(commands_);
  if (answers_ >= 0) close(answers_);
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

std::string TDevToolsBrowser::Call(const std::string& method, const std::string& params, bool inPage) {
  if (pid_ <= 0) return {};
  const int id = nextId_++;
  std::string message = "{\"id\":" + std::to_string(id) + ",\"method\":\"" + method + "\",\"params\":" + params;
  if (inPage) message += ",\"sessionId\":\"" + session_ + "\"";
  message += "}";
  message += '\0';
  for (std::size_t sent = 0; sent < message.size();) {
    const ssize_t n = write(commands_, message.data() + sent, message.size() - sent);
    if (n <= 0) return {};
    sent += static_cast<std::size_t>(n);
  }
  const std::string mine = "{\"id\":" + std::to_string(id) + ",";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (true) {
    // Messages end in a NUL; events between them are skipped.
    for (std::size_t end; (end = pending_.find('\0')) != std::string::npos;) {
      std::string answer = pending_.substr(0, end);
      pending_.erase(0, end + 1);
      if (answer.starts_with(mine)) return answer;
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    pollfd p{answers_, POLLIN, 0};
    if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0) return {};
    std::array<char, 65536> buffer{};
    const ssize_t n = read(answers_, buffer.data(), buffer.size());
    if (n <= 0) return {};
    pending_.append(buffer.data(), static_cast<std::size_t>(n));
  }
}

bool TDevToolsBrowser::Open(const std::string& url, int width, int height) {
  const std::string target = StringMember(Call("Target.createTarget",
                                               "{\"url\":" + Quoted(url) + ",\"width\":" + std::to_string(width) +
                                                   ",\"height\":" + std::to_string(height) + ",\"newWindow\":true}",
                                               false),
                                          "targetId");
  if (target.empty()) return false;
  session_ = StringMember(Call("Target.attachToTarget", "{\"targetId\":\"" + target + "\",\"flatten\":true}", false),
                          "sessionId");
  return !session_.empty();
}

std::string TDevToolsBrowser::Evaluate(const std::string& expression) {
  const std::string answer = Call(
      "Runtime.evaluate", "{\"expression\":" + Quoted("String(" + expression + ")") + ",\"returnByValue\":true}", true);
  return StringMember(answer, "value");
}

bool TDevToolsBrowser::WaitFor(const std::string& expression, std::chrono::seconds most) {
  const auto deadline = std::chrono::steady_clock::now() + most;
  while (std::chrono::steady_clock::now() < deadline) {
    if (Evaluate(expression) == "true") return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  return false;
}

bool TDevToolsBrowser::Screenshot(const std::string& path) {
  const std::string data = StringMember(Call("Page.captureScreenshot", "{\"format\":\"png\"}", true), "data");
  if (data.empty()) return false;
  const std::optional<std::string> png = DecodeBase64(data);
  if (!png) return false;
  std::ofstream(path, std::ios::binary) << *png;
  return true;
}

}  // namespace helvanta::testing
