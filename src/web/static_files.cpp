#include "web/static_files.hpp"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>

#include "text/ascii_text.hpp"
#include "text/gzip.hpp"
#include "web/page_files.hpp"

namespace helvanta {

namespace {

constexpr std::string_view kDygraphsPrefix = "/dygraphs/";

std::string_view ContentTypeOf(std::string_view path) {
  if (path.ends_with(".html")) return "text/html; charset=utf-8";
  if (path.ends_with(".js")) return "text/javascript; charset=utf-8";
  if (path.ends_with(".css")) return "text/css; charset=utf-8";
  return "application/octet-stream";
}

// A strong entity tag of the content: the same bytes, the same tag.
std::string EntityTag(std::string_view body) {
  std::uint64_t hash = 14695981039346656037u;  // FNV-1a
  for (const char c : body) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211u;
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string tag = "\"";
  for (int shift = 60; shift >= 0; shift -= 4) tag += kHex[(hash >> shift) & 0xFu];
  tag += '"';
  return tag;
}

std::optional<std::string> ReadDygraphs(const std::string& folder, std::string_view path) {
  std::ifstream in(folder + std::string(path.substr(kDygraphsPrefix.size())), std::ios::binary);
  if (!in) return std::nullopt;
  std::string body((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return body;
}

// Each comma-separated entry of a header, without spaces around it.
template <typename Visit>
bool AnyEntry(std::string_view header, Visit visit) {
  while (!header.empty()) {
    const std::size_t comma = header.find(',');
    std::string_view entry = header.substr(0, comma);
    while (!entry.empty() && entry.front() == ' ') entry.remove_prefix(1);
    while (!entry.empty() && entry.back() == ' ') entry.remove_suffix(1);
    if (visit(entry)) return true;
    if (comma == std::string_view::npos) break;
    header.remove_prefix(comma + 1);
  }
  return false;
}

}  // namespace

TStaticFiles::TStaticFiles(std::string dygraphsFolder) : dygraphsFolder_(std::move(dygraphsFolder)) {}

bool TStaticFiles::IsDygraphs(std::string_view path) {
  return path == "/dygraphs/dygraph.min.js" || path == "/dygraphs/dygraph.min.css";
}

std::shared_ptr<const TStaticFile> TStaticFiles::Find(std::string_view path) {
  if (path == "/") path = "/index.html";
  const std::lock_guard lock(mutex_);
  for (const auto& file : made_) {
    if (file->path == path) return file;
  }
  std::optional<std::string> body;
  if (IsDygraphs(path)) {
    body = ReadDygraphs(dygraphsFolder_, path);
  } else {
    for (const TPageFile& file : PageFiles()) {
      if (file.path == path) body = std::string(file.body);
    }
  }
  if (!body) return nullptr;
  auto file = std::make_shared<TStaticFile>();
  file->path = std::string(path);
  file->contentType = ContentTypeOf(path);
  file->gzip = Gzip(*body);
  file->tag = EntityTag(*body);
  file->body = std::move(*body);
  made_.push_back(file);
  return file;
}

bool TagMatches(std::string_view header, std::string_view tag) {
  return AnyEntry(header, [tag](std::string_view entry) {
    if (entry.starts_with("W/")) entry.remove_prefix(2);
    return entry == "*" || entry == tag;
  });
}

bool AcceptsGzip(std::string_view header) {
  return AnyEntry(header, [](std::string_view entry) {
    const std::size_t semicolon = entry.find(';');
    std::string_view coding = entry.substr(0, semicolon);
    while (!coding.empty() && coding.back() == ' ') coding.remove_suffix(1);
    if (!EqualsIgnoringCase(coding, "gzip") && !EqualsIgnoringCase(coding, "x-gzip") && coding != "*") return false;
    if (semicolon == std::string_view::npos) return true;
    // "q=0", "q=0.0", "q=0.000": refused; any other weight takes it.
    std::string_view weight = entry.substr(semicolon + 1);
    while (!weight.empty() && weight.front() == ' ') weight.remove_prefix(1);
    if (!weight.starts_with("q=") && !weight.starts_with("Q=")) return true;
    weight.remove_prefix(2);
    return weight.find_first_not_of("0.") != std::string_view::npos;
  });
}

}  // namespace helvanta
