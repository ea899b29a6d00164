#include "base/Decimal.h"

bool ParseDecimal(const std::string &text, int64_t low, int64_t high, int64_t &result) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+'))
    negative = text[i++] == '-';
  if (i == text.size())
    return false;
  // Magnitudes beyond 2^63 fit no int64_t range: stop before they overflow.
  constexpr uint64_t kLimit = uint64_t{1} << 63;
  uint64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9')
      return false;
    magnitude = magnitude * 10 + static_cast<uint64_t>(text[i] - '0');
    if (magnitude > kLimit)
      return false;
  }
  int64_t value;
  if (negative)
    value = magnitude == kLimit ? INT64_MIN : -static_cast<int64_t>(magnitude);
  else if (magnitude == kLimit)
    return false;
  else
    value = static_cast<int64_t>(magnitude);
  if (value < low || value > high)
    return false;
  result = value;
  return true;
}
