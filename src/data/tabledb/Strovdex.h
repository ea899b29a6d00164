#pragma once
// The table database engine: a read-only reader of the in-house table
// database format. A database is one file (or a definitions file plus a data
// file) holding a 272-byte header, the table definitions each followed by its
// column definitions, and each table's records as fixed-size rows, so a field
// is found by arithmetic. The engine keeps only the definitions in memory and
// reads single fields from the data file on each request.
//
// Operations never throw: failure is their result (false, 0, -1, an empty
// text, a field value marked Failed).

#include "data/chain/PointerChain.h"
#include "platform/Locale.h"

#include <cstdint>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Field kinds, the byte at offset 70 of a column definition.
enum TFieldKind : uint8_t {
  fkBoolean = 0,
  fkByte = 1,
  fkInt64 = 2,
  fkInteger = 3,
  fkDateTime = 4,
  fkExtended = 5,
  fkInteger6 = 6,
  fkInteger7 = 7,
  fkDouble = 8,
  fkReal48 = 9,
  fkLinkList = 10,
  fkShortInt = 11,
  fkSingle = 12,
  fkText = 13,
  fkWord = 14,
};
constexpr int kFieldKindCount = 15;

constexpr int kStrovdexHeaderSize = 272;
constexpr int kTableDefSize = 77;
constexpr int kColumnDefSize = 137;
constexpr int kStrovdexVersion = 100;
constexpr int kMaxNameLength = 63;
constexpr int kMaxTextLength = 255;
constexpr int kMaxLinkSlots = 50;
// Day count of 1899-12-30 in the stored date-time kind (day 1 = 0001-01-01).
constexpr double kStoredDateTimeOffset = 693594.0;

// One field as ReadField delivers it: Data holds the value in its stored
// layout, except text, which is a 0-terminated string.
struct TFieldValue {
  uint8_t Failed;
  uint8_t Kind;
  uint8_t Data[256];
};
static_assert(sizeof(TFieldValue) == 258);

// A column definition in its stored 137-byte layout, with readers for the
// fields the engine uses. Bytes the engine does not interpret are carried.
struct TColumnDef {
  uint8_t Bytes[kColumnDefSize];
  std::string Name() const;
  uint8_t Kind() const { return Bytes[70]; }
  uint8_t Style() const { return Bytes[71]; }
  uint8_t Decimals() const { return Bytes[72]; }
  uint16_t TextWidth() const;
  int32_t LinkTable() const;
  int32_t LinkColumn() const;
  int32_t LinkSlots() const;
  // A freshly made definition of a kind, with the kind's default parameters.
  static TColumnDef Fresh(uint8_t kind = fkText);
};

struct TTableDef {
  int32_t ColumnCount = 0;
  std::string Name;
  int32_t RecordCount = 0;
  uint8_t CountMode = 0;
  int32_t DataOffset = 0;
  int64_t RecordSize = 0; // computed: the sum of the column sizes
  TPointerChain Columns{"Columns"};
  uint8_t Bytes[kTableDefSize] = {};
};

// The password typed by the user, or nothing when the prompt was cancelled.
using TPasswordPrompt = std::function<std::optional<std::string>()>;

class TStrovdexObject {
public:
  // The locale renders date-time fields; the prompt is asked for a password
  // when a protected database is opened without one (no prompt: such an
  // open fails). Both must outlive the object.
  explicit TStrovdexObject(const ILocale &locale, TPasswordPrompt prompt = nullptr);
  ~TStrovdexObject();
  TStrovdexObject(const TStrovdexObject &) = delete;
  TStrovdexObject &operator=(const TStrovdexObject &) = delete;

  bool Open(const std::string &dataFile, const std::string &definitionsFile,
            const std::string &guardFile, const std::string &password);
  void Close();
  TFieldValue ReadField(const std::string &table, const std::string &column, int32_t record);
  std::string FieldText(const std::string &table, const std::string &column, int32_t record);
  int32_t FindRecord(const std::string &table, const std::string &column,
                     const std::string &searchText);
  int32_t RecordCount(const std::string &table);

  // Used inside the engine; public for the dump tool and tests.
  int32_t FindTable(const std::string &name);
  int32_t FindColumn(int32_t table, const std::string &name);
  static int32_t FieldSize(const TColumnDef &column);
  int64_t FieldOffset(int32_t table, int32_t column, int32_t record);

  // Inspection for the dump tool, tests and fuzzing: the loaded definitions.
  bool IsOpen() const { return data_.is_open(); }
  bool Scrambled() const { return header_[4] != 0; }
  int32_t TableCount() const;
  const uint8_t *Header() const { return header_; }
  TTableDef *Table(int32_t table);
  TColumnDef *Column(int32_t table, int32_t column);
  // Records 1..n of the table that lie wholly inside the data file: at most
  // RecordCount, 0 for an unknown table.
  int32_t PresentRecordCount(int32_t table);

private:
  struct LinkPath;
  bool LoadDefinitions(std::ifstream &file);
  bool CheckPassword(const std::string &password);
  TFieldValue ReadAt(int32_t table, int32_t column, int32_t record);
  std::string RenderField(int32_t table, int32_t column, int32_t record, LinkPath *path);
  void FreeTables();

  const ILocale &locale_;
  TPasswordPrompt prompt_;
  uint8_t header_[kStrovdexHeaderSize] = {};
  TPointerChain *tables_ = nullptr;
  std::string definitionsFile_, dataFile_, guardFile_;
  bool singleFile_ = false;
  // Reads bytes of the data file through a 32 KB window of the file, so
  // neighbouring fields (a record, a scan over a table) cost no system call.
  bool ReadData(int64_t offset, int32_t size, uint8_t *out);

  std::ifstream data_;
  int64_t dataSize_ = 0;
  static constexpr int32_t kWindowSize = 32768;
  std::vector<uint8_t> window_;
  int64_t windowStart_ = 0;
  int32_t windowLength_ = 0;
};

// Field rendering rules, shared by FieldText and the tests.
std::string BoolText(uint8_t style, bool value);
// Fixed-point text with exactly `decimals` digits after the point, rounded
// half away from zero at `significant` significant digits of the value
// first; style 1 writes a decimal comma, style 2 appends "%".
std::string NumberText(uint8_t style, uint8_t decimals, double value, int significant = 15);
std::string NumberText(uint8_t style, uint8_t decimals, int64_t value);
// A stored date-time (day 1 = 0001-01-01) in one of the display styles.
std::string DateTimeText(uint8_t style, double storedValue, const TLocaleFormats &formats);

// Stored-layout conversions of the two floating kinds without a native type.
double Real48ToDouble(const uint8_t bytes[6]);
double ExtendedToDouble(const uint8_t bytes[10]);
// Unscrambling of a stored text byte in a scrambled database.
inline uint8_t StrovdexUnscramble(uint8_t b) {
  return static_cast<uint8_t>(b >= 127 ? b - 127 : b + 127);
}
