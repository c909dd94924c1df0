// The simulator's failure modes on the way out: noise on the line and
// interleaved garbage. Both are built so that the link's checksum must catch
// every damaged line; a tool that lets a wrong value through has a fault of
// its own. (Real line noise can beat an 8-bit XOR now and then: two hits that
// cancel, or a byte turned into "*". That is not what these modes show.)
#pragma once

#include <random>
#include <string>

namespace brisko {

// Damages about `rate` of the bytes sent: a line of n bytes is hit with the
// chance rate * n (at most 1), and a hit replaces exactly one byte of it by a
// different byte that is never "$", "*", a line feed or NUL.
// One changed byte always changes the line's XOR or its tail, so the tool
// drops the line (or, when the "$" or the CR was hit, reads the same content
// under a header it does not know).
class LineNoise {
 public:
  explicit LineNoise(double rate) : rate_(rate) {}
  // Returns true when the line was damaged.
  bool Apply(std::string& line, std::mt19937& random) const;

 private:
  double rate_;
};

// Lines no logger would send, meant to be ignored by the tool: random bytes,
// known headers with a wrong checksum, lowercase checksum digits, lines
// without checksum, lines over 256 bytes, and well-formed sentences of
// numbers the tool has no handler for. None contains a "$" after its first
// byte, so the framing cannot restart inside one and find a good line there.
std::string GarbageLine(std::mt19937& random);

// Texts that garbage lines put into fields the tool would store if it
// accepted the line: a test that sees one of them in the record has found a
// fault.
inline constexpr const char* kGarbageMarker = "GARBAGE";

}  // namespace brisko
