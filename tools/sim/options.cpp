#include "sim/options.hpp"

#include <charconv>
#include <functional>
#include <map>
#include <system_error>

namespace helvanta::sim {

namespace {

double ParseProbability(const std::string& name, const std::string& text) {
  double value = 0.0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || !(value >= 0.0 && value <= 1.0)) {
    throw UsageError(name + " wants a share between 0 and 1, not \"" + text + "\"");
  }
  return value;
}

std::uint64_t ParseCount(const std::string& name, const std::string& text) {
  std::uint64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || text.empty()) {
    throw UsageError(name + " wants a whole number, not \"" + text + "\"");
  }
  return value;
}

double ParseSpeed(const std::string& text) {
  double value = 0.0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || !(value > 0.0 && value <= 100000.0)) {
    throw UsageError("--speed wants a factor above 0 and at most 100000, not \"" + text + "\"");
  }
  return value;
}

std::string NonEmpty(const std::string& name, const std::string& text) {
  if (text.empty()) throw UsageError(name + " needs a path");
  return text;
}

int ParseTimeOfDay(const std::string& text) {
  auto twoDigits = [&](std::size_t at, int limit) {
    const char high = text[at];
    const char low = text[at + 1];
    if (high < '0' || high > '9' || low < '0' || low > '9') return -1;
    const int value = (high - '0') * 10 + (low - '0');
    return value < limit ? value : -1;
  };
  if (text.size() == 8 && text[2] == ':' && text[5] == ':') {
    const int h = twoDigits(0, 24);
    const int m = twoDigits(3, 60);
    const int s = twoDigits(6, 60);
    if (h >= 0 && m >= 0 && s >= 0) return (h * 60 + m) * 60 + s;
  }
  throw UsageError("--start wants a time of day as HH:MM:SS, not \"" + text + "\"");
}

}  // namespace

SimOptions ParseOptions(const std::vector<std::string>& args) {
  SimOptions o;
  using Setter = std::function<void(const std::string&)>;
  const std::map<std::string, Setter> withValue = {
      {"--device", [&](const std::string& v) { o.device = NonEmpty("--device", v); }},
      {"--link", [&](const std::string& v) { o.link = NonEmpty("--link", v); }},
      {"--log", [&](const std::string& v) { o.log = NonEmpty("--log", v); }},
      {"--start", [&](const std::string& v) { o.startSecond = ParseTimeOfDay(v); }},
      {"--seed", [&](const std::string& v) { o.seed = ParseCount("--seed", v); }},
      {"--speed", [&](const std::string& v) { o.speed = ParseSpeed(v); }},
      {"--drop", [&](const std::string& v) { o.drop = ParseProbability("--drop", v); }},
      {"--garble", [&](const std::string& v) { o.garble = ParseProbability("--garble", v); }},
      {"--noise", [&](const std::string& v) { o.noise = ParseProbability("--noise", v); }},
      {"--late", [&](const std::string& v) { o.late = ParseProbability("--late", v); }},
      {"--hangup-after",
       [&](const std::string& v) {
         o.hangupAfter = ParseCount("--hangup-after", v);
         if (*o.hangupAfter == 0) throw UsageError("--hangup-after wants at least 1 answer");
       }},
  };
  const std::map<std::string, bool*> flags = {
      {"--fast", &o.fast}, {"--split", &o.split}, {"--help", &o.help}, {"-h", &o.help}};

  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::optional<std::string> value;
    if (const auto eq = name.find('='); name.starts_with("--") && eq != std::string::npos) {
      value = name.substr(eq + 1);
      name.resize(eq);
    }
    if (const auto f = flags.find(name); f != flags.end()) {
      if (value) throw UsageError(name + " takes no value");
      *f->second = true;
      continue;
    }
    const auto w = withValue.find(name);
    if (w == withValue.end()) throw UsageError("unknown option \"" + args[i] + "\"");
    if (!value) {
      if (i + 1 >= args.size()) throw UsageError(name + " needs a value");
      value = args[++i];
    }
    w->second(*value);
  }
  return o;
}

}  // namespace helvanta::sim
