#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace helvanta {

// A file the page loads, with its entity tag and its gzip form.
struct TStaticFile {
  std::string path;  // as a URL names it
  std::string_view contentType;
  std::string body;
  std::string gzip;
  std::string tag;  // a strong entity tag of the content
};

// The page compiled into the program and the two files of Dygraphs from their folder:
// each read, tagged and compressed once, at its first request (off the main thread, and
// never again for each answer). Dygraphs not installed yet is looked for again at the
// next request. Any thread may call it.
class TStaticFiles {
 public:
  explicit TStaticFiles(std::string dygraphsFolder);

  // The file a URL path names, or nullptr.
  std::shared_ptr<const TStaticFile> Find(std::string_view path);
  // Whether the path is one of Dygraphs' (found or not).
  static bool IsDygraphs(std::string_view path);

 private:
  std::string dygraphsFolder_;
  std::mutex mutex_;
  std::vector<std::shared_ptr<const TStaticFile>> made_;
};

// Whether an If-None-Match header names the tag ("*", or a list of tags, weak ones too).
bool TagMatches(std::string_view header, std::string_view tag);
// Whether an Accept-Encoding header takes gzip (not with q=0).
bool AcceptsGzip(std::string_view header);

}  // namespace helvanta
