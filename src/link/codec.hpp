#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace helvanta {

inline constexpr char STX = '\x02';
inline constexpr char ETX = '\x03';
inline constexpr std::string_view kRequestPrefix = "0053??";
inline constexpr int kTelegramSize = 13;
inline constexpr std::string_view PseudoAnswer = "X0053008E4XX";

// Advances the index (44 or more wraps to 0), marks that entry "N/A" and returns the
// 13-byte request telegram for it.
std::string BuildRequest(std::int32_t& MeasurandIndex);

// Decodes a 12-character answer packet into Measurands[index] and stamps it as the
// entry's good value; a packet whose data word is not four hexadecimal digits changes
// nothing, nor does the high word of a 32-bit value while the entry before it (its low
// word) waits for an answer to its newest request. Returns whether the entry got a
// value. Never throws.
bool DecodeAnswer(std::string_view packet, std::int32_t index);

// Whether the packet's data word is four hexadecimal digits (else it is a damaged word).
bool HasDataWord(std::string_view packet);

}  // namespace helvanta
