#include "data/tabledb/Strovdex.h"

#include "base/DateTime.h"
#include "data/text/DateTimeFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <string_view>

namespace {

// Nesting limit of link-list rendering. Links may lead through other link
// columns; a chain deeper than this renders its deeper fields as empty.
constexpr int kMaxLinkDepth = 16;

uint16_t U16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
int32_t I32(const uint8_t *p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                              static_cast<uint32_t>(p[2]) << 16 |
                              static_cast<uint32_t>(p[3]) << 24);
}
uint64_t U64(const uint8_t *p) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i)
    v = v << 8 | p[i];
  return v;
}
float F32(const uint8_t *p) {
  uint32_t bits = static_cast<uint32_t>(I32(p));
  float f;
  std::memcpy(&f, &bits, 4);
  return f;
}
double F64(const uint8_t *p) {
  uint64_t bits = U64(p);
  double d;
  std::memcpy(&d, &bits, 8);
  return d;
}

// A length-prefixed name in a 64-byte field: at most 63 characters.
std::string StoredName(const uint8_t *field) {
  return std::string(reinterpret_cast<const char *>(field + 1),
                     std::min<size_t>(field[0], kMaxNameLength));
}

std::string Cut(std::string text, size_t limit) {
  if (text.size() > limit)
    text.resize(limit);
  return text;
}

// Exact comparison of a stored length-prefixed name with a key (already cut).
bool NameEquals(const uint8_t *field, std::string_view key) {
  const size_t length = std::min<size_t>(field[0], kMaxNameLength);
  return length == key.size() && std::memcmp(field + 1, key.data(), length) == 0;
}

std::string_view NameKey(const std::string &name) {
  return std::string_view(name).substr(0, kMaxNameLength);
}

bool FileExists(const std::string &name) {
  if (name.empty())
    return false;
  std::error_code error;
  return std::filesystem::is_regular_file(std::filesystem::path(name), error);
}

void SetZeroValue(TFieldValue &value) {
  std::memset(value.Data, 0, sizeof value.Data);
  if (value.Kind == fkDateTime) {
    const double one = 1.0;
    std::memcpy(value.Data, &one, sizeof one);
  }
}

// Fixed-point text from decimal digits: value = 0.digits × 10^pointPosition.
std::string FixedText(bool negative, std::string digits, int pointPosition, int decimals) {
  const int keep = pointPosition + decimals;
  if (keep < static_cast<int>(digits.size())) {
    const bool roundUp = keep >= 0 && digits[keep] >= '5';
    digits.resize(static_cast<size_t>(std::max(keep, 0)));
    if (roundUp) {
      int i = keep - 1;
      while (i >= 0 && digits[i] == '9')
        digits[i--] = '0';
      if (i >= 0) {
        ++digits[i];
      } else {
        digits.insert(digits.begin(), '1');
        ++pointPosition;
      }
    }
  }
  auto digitAt = [&](int index) {
    return index >= 0 && index < static_cast<int>(digits.size()) ? digits[index] : '0';
  };
  std::string text;
  if (pointPosition <= 0)
    text = "0";
  for (int i = 0; i < pointPosition; ++i)
    text += digitAt(i);
  if (decimals > 0) {
    text += '.';
    for (int i = 0; i < decimals; ++i)
      text += digitAt(pointPosition + i);
  }
  // A value that rounds to zero carries no sign.
  if (negative && text.find_first_not_of("0.") != std::string::npos)
    text.insert(text.begin(), '-');
  return text;
}

std::string StyledNumber(uint8_t style, std::string text) {
  if (style == 1) {
    size_t point = text.find('.');
    if (point != std::string::npos)
      text[point] = ',';
  } else if (style == 2) {
    text += '%';
  }
  return Cut(text, kMaxTextLength);
}

} // namespace

// ---------------------------------------------------------------- rendering

std::string BoolText(uint8_t style, bool value) {
  switch (style) {
  case 0:
    return value ? "Yes" : "No";
  case 1:
    return value ? "True" : "False";
  case 2:
    return value ? "On" : "Off";
  default:
    return {};
  }
}

std::string NumberText(uint8_t style, uint8_t decimals, double value, int significant) {
  if (std::isnan(value))
    return "NAN";
  if (std::isinf(value))
    return value < 0 ? "-INF" : "INF";
  significant = std::clamp(significant, 1, 17);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*e", significant - 1, std::fabs(value));
  // buffer: d.ddd…e±XX
  std::string digits;
  const char *p = buffer;
  for (; *p && *p != 'e'; ++p)
    if (*p >= '0' && *p <= '9')
      digits += *p;
  const int exponent = *p == 'e' ? std::atoi(p + 1) : 0;
  return StyledNumber(style, FixedText(std::signbit(value), digits, exponent + 1, decimals));
}

std::string NumberText(uint8_t style, uint8_t decimals, int64_t value) {
  const bool negative = value < 0;
  uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  std::string digits = std::to_string(magnitude);
  const int pointPosition = static_cast<int>(digits.size());
  return StyledNumber(style, FixedText(negative, digits, pointPosition, decimals));
}

std::string DateTimeText(uint8_t style, double storedValue, const TLocaleFormats &formats) {
  TDateTimeParts parts;
  if (!DecodeDateTime(storedValue - kStoredDateTimeOffset, parts))
    return {};
  auto format = [&](const std::string &picture) {
    return FormatDateTimePicture(picture, parts, formats);
  };
  std::string text;
  switch (style % 128) {
  case 0:
    text = format(formats.ShortDate) + " " + format(formats.ShortTime);
    break;
  case 1:
    text = format(formats.LongDate) + " " + format(formats.LongTime);
    break;
  case 2:
    text = format(formats.ShortDate);
    break;
  case 3:
    text = format(formats.LongDate);
    break;
  case 4:
    text = format(formats.ShortTime);
    break;
  case 5:
    text = format(formats.LongTime);
    break;
  default:
    text = format(formats.ShortDate);
    if (parts.Hour || parts.Minute || parts.Second || parts.Millisecond)
      text += " " + format(formats.LongTime);
    break;
  }
  return Cut(text, kMaxTextLength);
}

double Real48ToDouble(const uint8_t bytes[6]) {
  if (bytes[0] == 0)
    return 0.0;
  uint64_t fraction = static_cast<uint64_t>(bytes[5] & 0x7F) << 32 |
                      static_cast<uint64_t>(static_cast<uint32_t>(I32(bytes + 1)));
  double mantissa = 1.0 + std::ldexp(static_cast<double>(fraction), -39);
  double value = std::ldexp(mantissa, bytes[0] - 129);
  return bytes[5] & 0x80 ? -value : value;
}

double ExtendedToDouble(const uint8_t bytes[10]) {
  const uint64_t mantissa = U64(bytes);
  const int exponent = U16(bytes + 8) & 0x7FFF;
  const bool negative = (bytes[9] & 0x80) != 0;
  double value;
  if (exponent == 0x7FFF) {
    value = (mantissa << 1) == 0 ? std::numeric_limits<double>::infinity()
                                 : std::numeric_limits<double>::quiet_NaN();
  } else {
    // Denormals have the exponent of 1 without the implicit integer bit,
    // which the explicit mantissa already reflects.
    const int e = exponent == 0 ? 1 : exponent;
    value = std::ldexp(static_cast<double>(mantissa), e - 16383 - 63);
  }
  return negative ? -value : value;
}

// ---------------------------------------------------------------- column definition

std::string TColumnDef::Name() const { return StoredName(Bytes + 5); }
uint16_t TColumnDef::TextWidth() const { return U16(Bytes + 71); }
int32_t TColumnDef::LinkTable() const { return I32(Bytes + 71); }
int32_t TColumnDef::LinkColumn() const { return I32(Bytes + 75); }
int32_t TColumnDef::LinkSlots() const { return I32(Bytes + 79); }

TColumnDef TColumnDef::Fresh(uint8_t kind) {
  TColumnDef def;
  std::memset(def.Bytes, 0, sizeof def.Bytes);
  def.Bytes[70] = kind;
  switch (kind) {
  case fkInt64:
  case fkExtended:
  case fkDouble:
  case fkReal48:
  case fkSingle:
    def.Bytes[72] = 2;
    break;
  case fkDateTime: {
    const uint64_t one = 0x3FF0000000000000ull; // the double 1.0
    for (int i = 0; i < 8; ++i)
      def.Bytes[72 + i] = static_cast<uint8_t>(one >> (8 * i));
    break;
  }
  case fkLinkList:
    def.Bytes[79] = 10;
    break;
  case fkText:
    def.Bytes[71] = 63;
    break;
  default:
    break;
  }
  return def;
}

// ---------------------------------------------------------------- engine

struct TStrovdexObject::LinkPath {
  int32_t Table, Column, Record;
  const LinkPath *Parent;
  int Depth;
  bool Contains(int32_t t, int32_t c, int32_t r) const {
    for (const LinkPath *p = this; p; p = p->Parent)
      if (p->Table == t && p->Column == c && p->Record == r)
        return true;
    return false;
  }
};

TStrovdexObject::TStrovdexObject(const ILocale &locale, TPasswordPrompt prompt)
    : locale_(locale), prompt_(std::move(prompt)) {}

TStrovdexObject::~TStrovdexObject() { Close(); }

void TStrovdexObject::FreeTables() {
  if (!tables_)
    return;
  for (int32_t t = tables_->Count(); t >= 1; --t) {
    auto *table = static_cast<TTableDef *>(tables_->GetItem(t));
    if (table) {
      for (int32_t c = table->Columns.Count(); c >= 1; --c) {
        delete static_cast<TColumnDef *>(table->Columns.GetItem(c));
        table->Columns.SetItem(c, nullptr);
        table->Columns.Delete(c);
      }
      delete table;
    }
    tables_->SetItem(t, nullptr);
    tables_->Delete(t);
  }
  delete tables_;
  tables_ = nullptr;
}

void TStrovdexObject::Close() {
  if (data_.is_open())
    data_.close();
  data_.clear();
  dataSize_ = 0;
  windowStart_ = 0;
  windowLength_ = 0;
  FreeTables();
  std::memset(header_, 0, sizeof header_);
  definitionsFile_.clear();
  dataFile_.clear();
  guardFile_.clear();
  singleFile_ = false;
}

bool TStrovdexObject::Open(const std::string &dataFile, const std::string &definitionsFile,
                           const std::string &guardFile, const std::string &password) {
  Close();
  tables_ = new TPointerChain("Tables");
  if (!FileExists(dataFile))
    return false;
  if (definitionsFile != dataFile && !FileExists(definitionsFile))
    return false;
  if (FileExists(guardFile))
    return false;
  singleFile_ = definitionsFile == dataFile;
  dataFile_ = dataFile;
  definitionsFile_ = definitionsFile;
  {
    std::ifstream definitions(definitionsFile, std::ios::binary);
    if (!definitions.is_open() || !LoadDefinitions(definitions))
      return false;
  }
  if (F32(header_ + 14) != 0.0f && !CheckPassword(Cut(password, kMaxNameLength))) {
    Close();
    return false;
  }
  // Unbuffered: reads go through the object's own window of the file.
  data_.rdbuf()->pubsetbuf(nullptr, 0);
  data_.open(dataFile, std::ios::binary);
  if (!data_.is_open())
    return false;
  data_.seekg(0, std::ios::end);
  const std::streamoff size = data_.tellg();
  if (size < 0) {
    data_.close();
    return false;
  }
  dataSize_ = size;
  guardFile_ = guardFile;
  if (!singleFile_ && TableCount() == 1) {
    TTableDef *table = Table(1);
    // A table without columns has nothing to divide by and keeps its count.
    if (table->CountMode == 0 && table->RecordSize > 0)
      table->RecordCount = static_cast<int32_t>(
          std::min<int64_t>(dataSize_ / table->RecordSize, std::numeric_limits<int32_t>::max()));
  }
  return true;
}

bool TStrovdexObject::LoadDefinitions(std::ifstream &file) {
  file.read(reinterpret_cast<char *>(header_), kStrovdexHeaderSize);
  if (file.gcount() != kStrovdexHeaderSize)
    return false;
  if (header_[5] != 8 || std::memcmp(header_ + 6, "Strovdex", 8) != 0 ||
      U16(header_ + 270) != kStrovdexVersion)
    return false;
  const int32_t tableCount = I32(header_);
  bool ok = true;
  // Definitions are read as they come, so a declared count larger than the
  // file ends at the first short read instead of running on.
  for (int32_t t = 1; t <= tableCount; ++t) {
    uint8_t bytes[kTableDefSize];
    file.read(reinterpret_cast<char *>(bytes), kTableDefSize);
    if (file.gcount() != kTableDefSize)
      return false;
    auto *table = new TTableDef;
    std::memcpy(table->Bytes, bytes, kTableDefSize);
    table->ColumnCount = I32(bytes);
    table->Name = StoredName(bytes + 4);
    table->RecordCount = I32(bytes + 68);
    table->CountMode = bytes[72];
    table->DataOffset = I32(bytes + 73);
    if (!tables_->Add(table)) {
      delete table;
      return false;
    }
    for (int32_t c = 1; c <= table->ColumnCount; ++c) {
      auto column = std::make_unique<TColumnDef>(TColumnDef::Fresh());
      file.read(reinterpret_cast<char *>(column->Bytes), kColumnDefSize);
      if (file.gcount() != kColumnDefSize)
        return false;
      const int32_t size = FieldSize(*column);
      if (size == 0)
        ok = false;
      table->RecordSize += size;
      if (!table->Columns.Add(column.get()))
        return false;
      column.release();
    }
  }
  return ok;
}

bool TStrovdexObject::CheckPassword(const std::string &password) {
  auto matches = [this](const std::string &text) {
    for (int i = 2; i <= 64; ++i) {
      const int c = i <= static_cast<int>(text.size()) ? static_cast<uint8_t>(text[i - 1]) : i;
      if (!(static_cast<float>(c * i) == F32(header_ + 10 + 4 * i)))
        return false;
    }
    return true;
  };
  if (!password.empty())
    return matches(password);
  if (!prompt_)
    return false;
  std::optional<std::string> typed = prompt_();
  return typed && !typed->empty() && matches(*typed);
}

int32_t TStrovdexObject::TableCount() const { return tables_ ? tables_->Count() : 0; }

TTableDef *TStrovdexObject::Table(int32_t table) {
  return tables_ ? static_cast<TTableDef *>(tables_->GetItem(table)) : nullptr;
}

TColumnDef *TStrovdexObject::Column(int32_t table, int32_t column) {
  TTableDef *def = Table(table);
  return def ? static_cast<TColumnDef *>(def->Columns.GetItem(column)) : nullptr;
}

int32_t TStrovdexObject::FindTable(const std::string &name) {
  const std::string_view key = NameKey(name);
  if (key.empty())
    return 0;
  for (int32_t t = 1; t <= TableCount(); ++t)
    if (Table(t)->Name == key)
      return t;
  return 0;
}

int32_t TStrovdexObject::FindColumn(int32_t table, const std::string &name) {
  TTableDef *def = Table(table);
  if (!def)
    return 0;
  const std::string_view key = NameKey(name);
  for (int32_t c = 1; c <= def->Columns.Count(); ++c)
    if (NameEquals(static_cast<TColumnDef *>(def->Columns.GetItem(c))->Bytes + 5, key))
      return c;
  return 0;
}

int32_t TStrovdexObject::FieldSize(const TColumnDef &column) {
  switch (column.Kind()) {
  case fkBoolean:
  case fkByte:
  case fkShortInt:
    return 1;
  case fkWord:
    return 2;
  case fkInteger:
  case fkInteger6:
  case fkInteger7:
  case fkSingle:
    return 4;
  case fkReal48:
    return 6;
  case fkInt64:
  case fkDateTime:
  case fkDouble:
    return 8;
  case fkExtended:
    return 10;
  case fkLinkList: {
    // Slots beyond 50 would not fit a field value: such a column is invalid.
    const int32_t slots = column.LinkSlots();
    return slots >= 1 && slots <= kMaxLinkSlots ? 4 * slots : 0;
  }
  case fkText: {
    const uint16_t width = column.TextWidth();
    return width >= 1 && width <= kMaxTextLength ? width : 0;
  }
  default:
    return 0;
  }
}

int64_t TStrovdexObject::FieldOffset(int32_t table, int32_t column, int32_t record) {
  TTableDef *def = Table(table);
  if (table < 1 || !def || column < 1 || def->Columns.Count() == 0 ||
      column > def->Columns.Count())
    return -1;
  // 64-bit arithmetic: a record number or data offset whose position does
  // not fit 32 bits is reported as failure, never wrapped around.
  int64_t offset = static_cast<int64_t>(def->DataOffset) +
                   def->RecordSize * (static_cast<int64_t>(record) - 1);
  for (int32_t c = 1; c < column; ++c) {
    const int32_t size = FieldSize(*static_cast<TColumnDef *>(def->Columns.GetItem(c)));
    if (size <= 0)
      return -1;
    offset += size;
  }
  return offset < 0 || offset > std::numeric_limits<int32_t>::max() ? -1 : offset;
}

int32_t TStrovdexObject::PresentRecordCount(int32_t table) {
  TTableDef *def = Table(table);
  if (!def || def->RecordCount <= 0 || def->RecordSize <= 0 || def->DataOffset < 0 ||
      def->DataOffset >= dataSize_)
    return 0;
  return static_cast<int32_t>(
      std::min<int64_t>(def->RecordCount, (dataSize_ - def->DataOffset) / def->RecordSize));
}

TFieldValue TStrovdexObject::ReadAt(int32_t table, int32_t column, int32_t record) {
  TFieldValue value{};
  value.Failed = 1;
  TColumnDef *def = Column(table, column);
  if (!def)
    return value;
  value.Kind = def->Kind();
  SetZeroValue(value);
  if (!data_.is_open() || record < 1 || record > Table(table)->RecordCount)
    return value;
  const int64_t offset = FieldOffset(table, column, record);
  const int32_t size = FieldSize(*def);
  if (offset < 0 || size <= 0 || offset + size > dataSize_)
    return value;
  uint8_t buffer[256] = {};
  if (!ReadData(offset, size, buffer))
    return value;
  if (value.Kind == fkText) {
    size_t length = 0;
    if (Scrambled()) {
      // Unscrambled up to the terminator; what follows it is never shown.
      while (length < static_cast<size_t>(size) &&
             (buffer[length] = StrovdexUnscramble(buffer[length])) != 0)
        ++length;
    } else {
      length = strnlen(reinterpret_cast<const char *>(buffer), size);
    }
    std::memcpy(value.Data, buffer, length);
    value.Data[length] = 0;
  } else {
    std::memcpy(value.Data, buffer, size);
  }
  value.Failed = 0;
  return value;
}

bool TStrovdexObject::ReadData(int64_t offset, int32_t size, uint8_t *out) {
  if (offset < windowStart_ || offset + size > windowStart_ + windowLength_) {
    windowLength_ = 0;
    windowStart_ = offset - offset % kWindowSize;
    if (offset + size > windowStart_ + kWindowSize)
      windowStart_ = offset;
    window_.resize(kWindowSize);
    data_.clear();
    data_.seekg(windowStart_);
    data_.read(reinterpret_cast<char *>(window_.data()), kWindowSize);
    windowLength_ = static_cast<int32_t>(data_.gcount());
    data_.clear();
    if (offset + size > windowStart_ + windowLength_)
      return false;
  }
  std::memcpy(out, window_.data() + (offset - windowStart_), static_cast<size_t>(size));
  return true;
}

TFieldValue TStrovdexObject::ReadField(const std::string &table, const std::string &column,
                                       int32_t record) {
  const int32_t t = FindTable(table);
  const int32_t c = t ? FindColumn(t, column) : 0;
  if (!c) {
    TFieldValue value{};
    value.Failed = 1;
    return value;
  }
  return ReadAt(t, c, record);
}

std::string TStrovdexObject::RenderField(int32_t table, int32_t column, int32_t record,
                                         LinkPath *path) {
  const TFieldValue value = ReadAt(table, column, record);
  TColumnDef *def = Column(table, column);
  if (value.Failed || !def)
    return {};
  const uint8_t *d = value.Data;
  switch (value.Kind) {
  case fkBoolean:
    return BoolText(def->Style(), d[0] != 0);
  case fkByte:
    return std::to_string(d[0]);
  case fkShortInt:
    return std::to_string(static_cast<int8_t>(d[0]));
  case fkWord:
    return std::to_string(U16(d));
  case fkInteger:
  case fkInteger6:
  case fkInteger7:
    return std::to_string(I32(d));
  case fkInt64:
    return NumberText(def->Style(), def->Decimals(), static_cast<int64_t>(U64(d)));
  case fkExtended:
    return NumberText(def->Style(), def->Decimals(), ExtendedToDouble(d));
  case fkDouble:
    return NumberText(def->Style(), def->Decimals(), F64(d));
  case fkReal48:
    return NumberText(def->Style(), def->Decimals(), Real48ToDouble(d));
  case fkSingle:
    return NumberText(def->Style(), def->Decimals(), static_cast<double>(F32(d)), 7);
  case fkDateTime:
    return DateTimeText(def->Style(), F64(d), locale_.DateTimeFormats());
  case fkText:
    return std::string(reinterpret_cast<const char *>(d));
  case fkLinkList: {
    std::string text;
    // The linked field is looked up by its table's and column's names, as a
    // caller would; a link back to a field already being rendered on this
    // path, or deeper than the nesting limit, renders as empty.
    TTableDef *linkedTable = Table(def->LinkTable());
    TColumnDef *linkedColumn = Column(def->LinkTable(), def->LinkColumn());
    const int32_t t = linkedTable ? FindTable(linkedTable->Name) : 0;
    const int32_t c = t && linkedColumn ? FindColumn(t, linkedColumn->Name()) : 0;
    LinkPath here{table, column, record, path, path ? path->Depth + 1 : 0};
    const int32_t slots = def->LinkSlots();
    for (int32_t i = 0; i < slots; ++i) {
      const int32_t slot = I32(d + 4 * i);
      if (slot == 0 || !c)
        continue;
      if (here.Depth < kMaxLinkDepth && !here.Contains(t, c, slot))
        text += Cut(RenderField(t, c, slot, &here), kMaxTextLength);
      text += ",";
      // Beyond 255 characters more text cannot change the result.
      if (text.size() > kMaxTextLength)
        break;
    }
    if (!text.empty() && text.back() == ',')
      text.pop_back();
    return Cut(text, kMaxTextLength);
  }
  default:
    return {};
  }
}

std::string TStrovdexObject::FieldText(const std::string &table, const std::string &column,
                                       int32_t record) {
  const int32_t t = FindTable(table);
  const int32_t c = t ? FindColumn(t, column) : 0;
  if (!c)
    return {};
  return Cut(RenderField(t, c, record, nullptr), kMaxTextLength);
}

int32_t TStrovdexObject::FindRecord(const std::string &table, const std::string &column,
                                    const std::string &searchText) {
  const int32_t t = FindTable(table);
  const int32_t c = t ? FindColumn(t, column) : 0;
  if (!c)
    return 0;
  const std::string key = Cut(searchText, kMaxTextLength);
  // Only records present in the data file can match: a count declaring data
  // beyond the file's end does not make the search run over it.
  const int32_t present = PresentRecordCount(t);
  for (int32_t r = 1; r <= present; ++r)
    if (Cut(RenderField(t, c, r, nullptr), kMaxTextLength) == key)
      return r;
  return 0;
}

int32_t TStrovdexObject::RecordCount(const std::string &table) {
  const int32_t t = FindTable(table);
  return t ? Table(t)->RecordCount : -1;
}
