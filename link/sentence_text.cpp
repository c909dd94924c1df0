#include "link/sentence_text.h"

#include "link/decimal.h"

namespace brisko {

int UpperHexDigitValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void AppendUpperHex(std::string& out, unsigned char byte) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  out.push_back(kDigits[byte >> 4]);
  out.push_back(kDigits[byte & 0x0F]);
}

std::string_view FieldReader::Take() {
  if (exhausted_) return {};
  const std::size_t comma = rest_.find(',');
  std::string_view field = rest_;
  if (comma == std::string_view::npos) {
    rest_ = {};
    exhausted_ = true;
  } else {
    field = rest_.substr(0, comma);
    rest_.remove_prefix(comma + 1);
  }
  return field;
}

FieldReader& FieldReader::Skip(int count) {
  for (int i = 0; i < count; ++i) Take();
  return *this;
}

std::int32_t FieldReader::Int() { return LeadingInt(Take()); }

std::vector<std::string_view> SplitFields(std::string_view text) {
  std::vector<std::string_view> fields;
  FieldReader reader(text);
  do {
    fields.push_back(reader.Take());
  } while (!reader.Exhausted());
  return fields;
}

bool CanTravelInField(unsigned char byte) {
  if (byte < 0x20 || byte == 0x7F) return false;  // C0 controls and DEL
  return byte != ',' && byte != '*' && byte != '$';
}

}  // namespace brisko
