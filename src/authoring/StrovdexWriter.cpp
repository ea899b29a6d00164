#include "authoring/StrovdexWriter.h"

#include "base/DateTime.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>

namespace {

const char *const kKindNames[kFieldKindCount] = {
    "boolean", "byte",     "int64",  "integer", "datetime", "extended", "integer6", "integer7",
    "double",  "real48",   "links",  "shortint", "single",  "text",     "word"};

void PutU16(uint8_t *p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void PutU32(uint8_t *p, uint32_t v) {
  for (int i = 0; i < 4; ++i)
    p[i] = static_cast<uint8_t>(v >> (8 * i));
}
void PutU64(uint8_t *p, uint64_t v) {
  for (int i = 0; i < 8; ++i)
    p[i] = static_cast<uint8_t>(v >> (8 * i));
}
void PutF32(uint8_t *p, float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, 4);
  PutU32(p, bits);
}
void PutF64(uint8_t *p, double d) {
  uint64_t bits;
  std::memcpy(&bits, &d, 8);
  PutU64(p, bits);
}
void PutName(uint8_t *field, const std::string &name) {
  field[0] = static_cast<uint8_t>(name.size());
  std::memcpy(field + 1, name.data(), name.size());
}

uint8_t ScrambleTextByte(uint8_t plain) {
  return static_cast<uint8_t>(plain <= 128 ? plain + 127 : plain - 127);
}

bool ParseInteger(const std::string &text, int64_t low, int64_t high, int64_t &value) {
  if (text.empty())
    return false;
  errno = 0;
  char *end = nullptr;
  long long v = std::strtoll(text.c_str(), &end, 10);
  if (errno || *end || v < low || v > high)
    return false;
  value = v;
  return true;
}

bool ParseReal(const std::string &text, double &value) {
  if (text.empty())
    return false;
  char *end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return *end == 0;
}

// "YYYY-MM-DD", optionally followed by "T" or " " and "HH:MM[:SS[.mmm]]".
bool ParseIsoDateTime(const std::string &text, double &value) {
  int year, month, day, hour = 0, minute = 0, second = 0, ms = 0, used = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d%n", &year, &month, &day, &used) != 3)
    return false;
  std::string rest = text.substr(static_cast<size_t>(used));
  if (!rest.empty()) {
    if (rest[0] != 'T' && rest[0] != ' ')
      return false;
    int fields = std::sscanf(rest.c_str() + 1, "%2d:%2d%n", &hour, &minute, &used);
    if (fields != 2)
      return false;
    rest = rest.substr(1 + static_cast<size_t>(used));
    if (!rest.empty()) {
      if (std::sscanf(rest.c_str(), ":%2d%n", &second, &used) != 1)
        return false;
      rest = rest.substr(static_cast<size_t>(used));
      if (!rest.empty()) {
        if (rest[0] != '.' || rest.size() != 4 ||
            std::sscanf(rest.c_str(), ".%3d%n", &ms, &used) != 1 || used != 4)
          return false;
      }
    }
  }
  TDateTimeParts parts;
  parts.Year = year;
  parts.Month = month;
  parts.Day = day;
  parts.Hour = hour;
  parts.Minute = minute;
  parts.Second = second;
  parts.Millisecond = ms;
  return EncodeDateTime(parts, value);
}

void EncodeExtended(double v, uint8_t *out) {
  std::memset(out, 0, 10);
  uint16_t signExponent = std::signbit(v) ? 0x8000 : 0;
  uint64_t mantissa = 0;
  if (std::isnan(v)) {
    signExponent |= 0x7FFF;
    mantissa = 0xC000000000000000ull;
  } else if (std::isinf(v)) {
    signExponent |= 0x7FFF;
    mantissa = 0x8000000000000000ull;
  } else if (v != 0) {
    int e;
    double m = std::frexp(std::fabs(v), &e); // v = m × 2^e, m in [0.5, 1)
    mantissa = static_cast<uint64_t>(std::ldexp(m, 64));
    signExponent |= static_cast<uint16_t>(e - 1 + 16383);
  }
  PutU64(out, mantissa);
  PutU16(out + 8, signExponent);
}

bool EncodeReal48(double v, uint8_t *out) {
  std::memset(out, 0, 6);
  if (!std::isfinite(v))
    return false;
  if (v == 0)
    return true;
  int e;
  double m = std::frexp(std::fabs(v), &e);
  uint64_t fraction = static_cast<uint64_t>(std::llround(std::ldexp(2 * m - 1, 39)));
  if (fraction >> 39) { // rounded up to the next power of two
    fraction = 0;
    ++e;
  }
  const int exponent = e + 128;
  if (exponent < 1 || exponent > 255)
    return false;
  out[0] = static_cast<uint8_t>(exponent);
  PutU32(out + 1, static_cast<uint32_t>(fraction));
  out[5] = static_cast<uint8_t>((fraction >> 32) & 0x7F) | (v < 0 ? 0x80 : 0);
  return true;
}

bool IsNumber(const std::string &text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// --- text source tokens: runs of bare characters and "quoted" parts (with
//     \" \\ \t \n \r \xHH), up to a blank; key="some value" is one token.
bool Tokenize(const std::string &line, std::vector<std::string> &tokens, std::string &error) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  size_t i = 0;
  while (i < line.size()) {
    if (blank(line[i])) {
      ++i;
      continue;
    }
    if (line[i] == '#')
      break;
    std::string token;
    while (i < line.size() && !blank(line[i])) {
      const char c = line[i++];
      if (c != '"') {
        token += c;
        continue;
      }
      bool closed = false;
      while (i < line.size()) {
        const char d = line[i++];
        if (d == '"') {
          closed = true;
          break;
        }
        if (d != '\\') {
          token += d;
          continue;
        }
        if (i >= line.size())
          break;
        const char e = line[i++];
        switch (e) {
        case 'n': token += '\n'; break;
        case 't': token += '\t'; break;
        case 'r': token += '\r'; break;
        case 'x':
          if (i + 2 > line.size() || !std::isxdigit(static_cast<unsigned char>(line[i])) ||
              !std::isxdigit(static_cast<unsigned char>(line[i + 1]))) {
            error = "bad \\x escape";
            return false;
          }
          token += static_cast<char>(std::stoi(line.substr(i, 2), nullptr, 16));
          i += 2;
          break;
        default: token += e; break;
        }
      }
      if (!closed) {
        error = "unterminated quoted text";
        return false;
      }
    }
    tokens.push_back(token);
  }
  return true;
}

// Escapes tab, line breaks and backslash so one record stays one line.
std::string DumpEscape(const std::string &text) {
  std::string out;
  for (char c : text) {
    switch (c) {
    case '\t': out += "\\t"; break;
    case '\n': out += "\\n"; break;
    case '\r': out += "\\r"; break;
    case '\\': out += "\\\\"; break;
    default: out += c; break;
    }
  }
  return out;
}

} // namespace

const char *FieldKindName(uint8_t kind) { return kind < kFieldKindCount ? kKindNames[kind] : "?"; }

int FieldKindFromName(const std::string &name) {
  for (int k = 0; k < kFieldKindCount; ++k)
    if (name == kKindNames[k])
      return k;
  int64_t number;
  if (ParseInteger(name, 0, 255, number))
    return static_cast<int>(number);
  return -1;
}

bool EncodeFieldValue(const TColumnDef &column, const std::string &text, bool scramble,
                      std::vector<uint8_t> &out, std::string &error) {
  const int32_t size = TStrovdexObject::FieldSize(column);
  if (size <= 0) {
    error = "column has no valid size";
    return false;
  }
  std::vector<uint8_t> bytes(static_cast<size_t>(size), 0);
  int64_t n = 0;
  double d = 0;
  auto bad = [&](const char *what) {
    error = "bad " + std::string(what) + " value \"" + text + "\"";
    return false;
  };
  switch (column.Kind()) {
  case fkBoolean:
    if (text == "yes" || text == "true" || text == "on" || text == "Yes" || text == "True" ||
        text == "On")
      bytes[0] = 1;
    else if (text == "no" || text == "false" || text == "off" || text == "No" ||
             text == "False" || text == "Off")
      bytes[0] = 0;
    else if (ParseInteger(text, 0, 255, n))
      bytes[0] = static_cast<uint8_t>(n);
    else
      return bad("boolean");
    break;
  case fkByte:
    if (!ParseInteger(text, 0, 255, n))
      return bad("byte");
    bytes[0] = static_cast<uint8_t>(n);
    break;
  case fkShortInt:
    if (!ParseInteger(text, -128, 127, n))
      return bad("shortint");
    bytes[0] = static_cast<uint8_t>(n);
    break;
  case fkWord:
    if (!ParseInteger(text, 0, 65535, n))
      return bad("word");
    PutU16(bytes.data(), static_cast<uint16_t>(n));
    break;
  case fkInteger:
  case fkInteger6:
  case fkInteger7:
    if (!ParseInteger(text, INT32_MIN, INT32_MAX, n))
      return bad("integer");
    PutU32(bytes.data(), static_cast<uint32_t>(n));
    break;
  case fkInt64:
    if (!ParseInteger(text, INT64_MIN, INT64_MAX, n))
      return bad("int64");
    PutU64(bytes.data(), static_cast<uint64_t>(n));
    break;
  case fkDateTime:
    if (ParseIsoDateTime(text, d))
      d += kStoredDateTimeOffset;
    else if (!ParseReal(text, d))
      return bad("datetime");
    PutF64(bytes.data(), d);
    break;
  case fkExtended:
    if (!ParseReal(text, d))
      return bad("extended");
    EncodeExtended(d, bytes.data());
    break;
  case fkDouble:
    if (!ParseReal(text, d))
      return bad("double");
    PutF64(bytes.data(), d);
    break;
  case fkSingle:
    if (!ParseReal(text, d) ||
        (std::isfinite(d) && std::fabs(d) > std::numeric_limits<float>::max()))
      return bad("single");
    PutF32(bytes.data(), static_cast<float>(d));
    break;
  case fkReal48:
    if (!ParseReal(text, d) || !EncodeReal48(d, bytes.data()))
      return bad("real48");
    break;
  case fkLinkList: {
    size_t slot = 0, start = 0;
    while (!text.empty() && start <= text.size()) {
      size_t comma = text.find(',', start);
      std::string part = text.substr(start, comma == std::string::npos ? std::string::npos
                                                                        : comma - start);
      if (slot >= static_cast<size_t>(column.LinkSlots()))
        return bad("links (more values than slots)");
      if (!ParseInteger(part, INT32_MIN, INT32_MAX, n))
        return bad("links");
      PutU32(bytes.data() + 4 * slot++, static_cast<uint32_t>(n));
      if (comma == std::string::npos)
        break;
      start = comma + 1;
    }
    break;
  }
  case fkText: {
    if (text.size() > static_cast<size_t>(size)) {
      error = "text longer than its width " + std::to_string(size) + ": \"" + text + "\"";
      return false;
    }
    for (size_t i = 0; i < bytes.size(); ++i) {
      const uint8_t plain = i < text.size() ? static_cast<uint8_t>(text[i]) : 0;
      if (i < text.size() && plain == 0)
        return bad("text (a 0 byte would end it)");
      if (scramble && plain >= 254)
        return bad("text (bytes 254 and 255 cannot be stored scrambled)");
      bytes[i] = scramble ? ScrambleTextByte(plain) : plain;
    }
    break;
  }
  default:
    error = "unknown kind";
    return false;
  }
  out.insert(out.end(), bytes.begin(), bytes.end());
  return true;
}

bool BuildStrovdex(const TDatabaseSource &source, bool separate,
                   std::vector<uint8_t> &definitions, std::vector<uint8_t> &data,
                   std::string &error) {
  definitions.clear();
  data.clear();
  std::vector<uint8_t> defs(kStrovdexHeaderSize, 0);
  uint8_t *h = defs.data();
  PutU32(h, static_cast<uint32_t>(source.Tables.size()));
  h[4] = source.Scramble ? 1 : 0;
  h[5] = 8;
  std::memcpy(h + 6, "Strovdex", 8);
  if (source.Password.empty()) {
    for (int i = 2; i <= 64; ++i)
      PutF32(h + 10 + 4 * i, static_cast<float>(i * i));
  } else {
    PutF32(h + 14, 1.0f);
    for (int i = 2; i <= 64; ++i) {
      const int c = i <= static_cast<int>(source.Password.size())
                        ? static_cast<uint8_t>(source.Password[i - 1])
                        : i;
      PutF32(h + 10 + 4 * i, static_cast<float>(c * i));
    }
  }
  PutU16(h + 270, kStrovdexVersion);

  int64_t definitionsSize = kStrovdexHeaderSize;
  for (const auto &table : source.Tables)
    definitionsSize += kTableDefSize + kColumnDefSize * static_cast<int64_t>(table.Columns.size());
  int64_t nextOffset = separate ? 0 : definitionsSize;

  std::vector<uint8_t> blocks;
  for (const auto &table : source.Tables) {
    const std::string where = "table \"" + table.Name + "\": ";
    if (table.Name.size() > kMaxNameLength) {
      error = where + "name longer than 63 characters";
      return false;
    }
    std::vector<TColumnDef> columns;
    for (const auto &column : table.Columns) {
      if (column.Name.size() > kMaxNameLength) {
        error = where + "column name longer than 63 characters: " + column.Name;
        return false;
      }
      TColumnDef def = column.Def;
      std::memset(def.Bytes + 5, 0, 64);
      PutName(def.Bytes + 5, column.Name);
      if (!column.LinkTableName.empty()) {
        int32_t t = 0, c = 0;
        for (size_t i = 0; i < source.Tables.size() && !t; ++i)
          if (source.Tables[i].Name == column.LinkTableName)
            t = static_cast<int32_t>(i) + 1;
        if (t)
          for (size_t i = 0; i < source.Tables[t - 1].Columns.size() && !c; ++i)
            if (source.Tables[t - 1].Columns[i].Name == column.LinkColumnName)
              c = static_cast<int32_t>(i) + 1;
        if (!t || !c) {
          error = where + "link target not found: " + column.LinkTableName + " / " +
                  column.LinkColumnName;
          return false;
        }
        PutU32(def.Bytes + 71, static_cast<uint32_t>(t));
        PutU32(def.Bytes + 75, static_cast<uint32_t>(c));
      }
      if (TStrovdexObject::FieldSize(def) <= 0) {
        error = where + "column " + column.Name + " has an invalid kind or size";
        return false;
      }
      columns.push_back(def);
    }
    std::vector<uint8_t> block;
    for (size_t r = 0; r < table.Rows.size(); ++r) {
      const auto &row = table.Rows[r];
      if (row.size() != columns.size()) {
        error = where + "row " + std::to_string(r + 1) + " has " + std::to_string(row.size()) +
                " values for " + std::to_string(columns.size()) + " columns";
        return false;
      }
      for (size_t c = 0; c < columns.size(); ++c) {
        std::string fieldError;
        if (!EncodeFieldValue(columns[c], row[c], source.Scramble, block, fieldError)) {
          error = where + "row " + std::to_string(r + 1) + ", column " + table.Columns[c].Name +
                  ": " + fieldError;
          return false;
        }
      }
    }
    uint8_t def[kTableDefSize] = {};
    PutU32(def, static_cast<uint32_t>(columns.size()));
    PutName(def + 4, table.Name);
    PutU32(def + 68, static_cast<uint32_t>(
                         table.DeclaredCount.value_or(static_cast<int32_t>(table.Rows.size()))));
    def[72] = table.CountMode;
    PutU32(def + 73, static_cast<uint32_t>(table.DataOffset.value_or(
                         static_cast<int32_t>(nextOffset))));
    defs.insert(defs.end(), def, def + kTableDefSize);
    for (const auto &column : columns)
      defs.insert(defs.end(), column.Bytes, column.Bytes + kColumnDefSize);
    nextOffset += static_cast<int64_t>(block.size());
    if (nextOffset > std::numeric_limits<int32_t>::max()) {
      error = "database larger than 2 GB";
      return false;
    }
    blocks.insert(blocks.end(), block.begin(), block.end());
  }
  if (separate) {
    definitions = std::move(defs);
    data = std::move(blocks);
  } else {
    data = std::move(defs);
    data.insert(data.end(), blocks.begin(), blocks.end());
  }
  return true;
}

bool WriteFileBytes(const std::string &path, const std::vector<uint8_t> &bytes,
                    std::string &error) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file.is_open()) {
    error = "cannot create " + path;
    return false;
  }
  file.write(reinterpret_cast<const char *>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

bool ReadFileText(const std::string &path, std::string &text, std::string &error) {
  std::ifstream file(path, std::ios::binary);
  if (!file.is_open()) {
    error = "cannot open " + path;
    return false;
  }
  std::ostringstream buffer;
  buffer << file.rdbuf();
  text = buffer.str();
  return true;
}

bool WriteStrovdex(const TDatabaseSource &source, const std::string &dataFile,
                   const std::string &definitionsFile, std::string &error) {
  const bool separate = !definitionsFile.empty() && definitionsFile != dataFile;
  std::vector<uint8_t> definitions, data;
  if (!BuildStrovdex(source, separate, definitions, data, error))
    return false;
  if (separate && !WriteFileBytes(definitionsFile, definitions, error))
    return false;
  return WriteFileBytes(dataFile, data, error);
}

bool ParseTableSource(const std::string &text, TDatabaseSource &out, std::string &error) {
  out = TDatabaseSource{};
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  TTableSource *table = nullptr;
  auto fail = [&](const std::string &message) {
    error = "line " + std::to_string(number) + ": " + message;
    return false;
  };
  while (std::getline(lines, line)) {
    ++number;
    std::vector<std::string> t;
    std::string tokenError;
    if (!Tokenize(line, t, tokenError))
      return fail(tokenError);
    if (t.empty())
      continue;
    const std::string &word = t[0];
    if (word == "scramble" && t.size() == 1) {
      out.Scramble = true;
    } else if (word == "password" && t.size() == 2) {
      out.Password = t[1];
    } else if (word == "table" && t.size() == 2) {
      out.Tables.emplace_back();
      table = &out.Tables.back();
      table->Name = t[1];
    } else if (word == "scramble" || word == "password" || word == "table") {
      return fail("\"" + word + "\" takes " + (word == "scramble" ? "no value" : "one value"));
    } else if (!table) {
      return fail("\"" + word + "\" before the first table");
    } else if ((word == "countmode" || word == "records" || word == "dataoffset") &&
               t.size() == 2) {
      int64_t v;
      if (!ParseInteger(t[1], word == "countmode" ? 0 : INT32_MIN,
                        word == "countmode" ? 255 : INT32_MAX, v))
        return fail("bad number " + t[1]);
      if (word == "countmode")
        table->CountMode = static_cast<uint8_t>(v);
      else if (word == "records")
        table->DeclaredCount = static_cast<int32_t>(v);
      else
        table->DataOffset = static_cast<int32_t>(v);
    } else if (word == "column" && t.size() >= 3) {
      const int kind = FieldKindFromName(t[2]);
      if (kind < 0 || kind > 255)
        return fail("unknown kind " + t[2]);
      TColumnSource column;
      column.Name = t[1];
      column.Def = TColumnDef::Fresh(static_cast<uint8_t>(kind));
      uint8_t *b = column.Def.Bytes;
      for (size_t i = 3; i < t.size(); ++i) {
        const size_t eq = t[i].find('=');
        if (eq == std::string::npos)
          return fail("parameter without \"=\": " + t[i]);
        const std::string key = t[i].substr(0, eq), value = t[i].substr(eq + 1);
        int64_t v = 0;
        const bool numeric = ParseInteger(value, INT32_MIN, INT32_MAX, v);
        if (key == "table" && !IsNumber(value)) {
          column.LinkTableName = value;
        } else if (key == "column" && !IsNumber(value)) {
          column.LinkColumnName = value;
        } else if (!numeric) {
          return fail("bad number in " + t[i]);
        } else if (key == "style" || key == "decimals") {
          if (v < 0 || v > 255)
            return fail(key + " must be 0..255");
          b[key == "style" ? 71 : 72] = static_cast<uint8_t>(v);
        } else if (key == "width") {
          if (v < 0 || v > 65535)
            return fail("width must be 0..65535");
          PutU16(b + 71, static_cast<uint16_t>(v));
        } else if (key == "table" || key == "column" || key == "slots") {
          PutU32(b + (key == "table" ? 71 : key == "column" ? 75 : 79), static_cast<uint32_t>(v));
        } else if (key == "byte0" || key == "byte69") {
          if (v < 0 || v > 255)
            return fail(key + " must be 0..255");
          b[key == "byte0" ? 0 : 69] = static_cast<uint8_t>(v);
        } else {
          return fail("unknown parameter " + key);
        }
      }
      if (column.LinkTableName.empty() != column.LinkColumnName.empty())
        return fail("a link target names both its table and its column");
      table->Columns.push_back(column);
    } else if (word == "row") {
      table->Rows.emplace_back(t.begin() + 1, t.end());
      if (table->Rows.back().size() != table->Columns.size())
        return fail("row has " + std::to_string(t.size() - 1) + " values for " +
                    std::to_string(table->Columns.size()) + " columns");
    } else {
      return fail("unknown or malformed line starting with \"" + word + "\"");
    }
  }
  return true;
}

void DumpStrovdex(TStrovdexObject &db, std::ostream &out) {
  const uint8_t *h = db.Header();
  float marker;
  std::memcpy(&marker, h + 14, 4);
  out << "database\ttables=" << db.TableCount() << "\tscrambled=" << (db.Scrambled() ? "yes" : "no")
      << "\tprotected=" << (marker != 0.0f ? "yes" : "no")
      << "\tversion=" << (h[270] | h[271] << 8) << "\n";
  for (int32_t t = 1; t <= db.TableCount(); ++t) {
    TTableDef *table = db.Table(t);
    const std::string name = table->Name;
    out << "table\t" << DumpEscape(name) << "\trecords=" << table->RecordCount
        << "\tpresent=" << db.PresentRecordCount(t) << "\tcountmode=" << int(table->CountMode)
        << "\tdataoffset=" << table->DataOffset << "\trecordsize=" << table->RecordSize << "\n";
    std::vector<std::string> columnNames;
    for (int32_t c = 1; c <= table->Columns.Count(); ++c) {
      TColumnDef *column = db.Column(t, c);
      columnNames.push_back(column->Name());
      out << "column\t" << DumpEscape(column->Name()) << "\t" << FieldKindName(column->Kind());
      switch (column->Kind()) {
      case fkBoolean:
      case fkDateTime:
        out << "\tstyle=" << int(column->Style());
        break;
      case fkInt64:
      case fkExtended:
      case fkDouble:
      case fkReal48:
      case fkSingle:
        out << "\tstyle=" << int(column->Style()) << "\tdecimals=" << int(column->Decimals());
        break;
      case fkLinkList:
        out << "\ttable=" << column->LinkTable() << "\tcolumn=" << column->LinkColumn()
            << "\tslots=" << column->LinkSlots();
        break;
      case fkText:
        out << "\twidth=" << column->TextWidth();
        break;
      default:
        break;
      }
      if (column->Bytes[0])
        out << "\tbyte0=" << int(column->Bytes[0]);
      if (column->Bytes[69])
        out << "\tbyte69=" << int(column->Bytes[69]);
      out << "\n";
    }
    const int32_t present = db.PresentRecordCount(t);
    for (int32_t r = 1; r <= present; ++r) {
      out << r;
      for (const auto &column : columnNames)
        out << "\t" << DumpEscape(db.FieldText(name, column, r));
      out << "\n";
    }
  }
}
