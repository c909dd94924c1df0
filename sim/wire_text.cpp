#include "sim/wire_text.h"

#include "link/sentence_text.h"

namespace brisko {

std::string EscapeForLog(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    switch (byte) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      default:
        if (byte >= 0x20 && byte < 0x7F) {
          out.push_back(c);
        } else {
          out += "\\x";
          AppendUpperHex(out, byte);
        }
    }
  }
  return out;
}

}  // namespace brisko
