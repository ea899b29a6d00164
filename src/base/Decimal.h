#pragma once
// Decimal integers in texts that come from outside: files, registry values,
// server replies.

#include <cstdint>
#include <string>

// True when text is an optional sign followed by one or more digits and
// nothing else, and the number lies in low..high; result is then that number
// and is left alone otherwise.
bool ParseDecimal(const std::string &text, int64_t low, int64_t high, int64_t &result);
