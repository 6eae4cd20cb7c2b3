#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>

namespace helvanta::testing {

// Headless Chromium driven through its DevTools pipe: it opens pages and evaluates
// expressions in them while they run, so a page that keeps a stream open (which a
// one-shot --dump-dom never finishes on) is read when the test's condition holds.
class TDevToolsBrowser {
 public:
  TDevToolsBrowser(const std::string& chromium, const std::string& profileFolder);
  ~TDevToolsBrowser();
  TDevToolsBrowser(const TDevToolsBrowser&) = delete;
  TDevToolsBrowser& operator=(const TDevToolsBrowser&) = delete;

  // Opens the address in a new page of that size and makes it the one evaluated in.
  bool Open(const std::string& url, int width = 1100, int height = 1250);
  // The expression's value in the page, as a string; "" when it failed.
  std::string Evaluate(const std::string& expression);
  // Evaluates the expression until it gives "true", at most for the time.
  bool WaitFor(const std::string& expression, std::chrono::seconds most);
  // The page as a PNG file.
  bool Screenshot(const std::string& path);

 private:
  // The answer to one command, "" when none came in time.
  std::string Call(const std::string& method, const std::string& params, bool inPage);

  pid_t pid_ = -1;
  int commands_ = -1;  // the browser reads from it
  int answers_ = -1;   // the browser writes to it
  int nextId_ = 1;
  std::string session_;
  std::string pending_;
};

}  // namespace helvanta::testing
