#include "data/recfile/IDbRecs.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>

struct TIDbRecFile::Stored {
  int32_t Id;
  uint16_t NameLength, TextLength;
  std::unique_ptr<char[]> Name, Text;
  bool Selected = false;
};

namespace {

int32_t I32(const uint8_t *p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                              static_cast<uint32_t>(p[2]) << 16 |
                              static_cast<uint32_t>(p[3]) << 24);
}
uint16_t U16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// Reads length scrambled bytes into a fresh 0-terminated buffer.
std::unique_ptr<char[]> ReadText(std::ifstream &file, uint16_t length) {
  auto text = std::make_unique<char[]>(static_cast<size_t>(length) + 1);
  file.read(text.get(), length);
  if (file.gcount() != length)
    return nullptr;
  for (uint16_t i = 0; i < length; ++i)
    text[i] = static_cast<char>(IDbRecScramble(static_cast<uint8_t>(text[i])));
  text[length] = 0;
  return text;
}

} // namespace

TIDbRecFile::TIDbRecFile() = default;

TIDbRecFile::~TIDbRecFile() { FreeRecords(); }

TIDbRecFile::Stored *TIDbRecFile::At(int32_t position) {
  return static_cast<Stored *>(records_.GetItem(position));
}

void TIDbRecFile::FreeRecords() {
  for (int32_t p = records_.Count(); p >= 1; --p) {
    delete At(p);
    records_.SetItem(p, nullptr);
    records_.Delete(p);
  }
  cursorOrdinal_ = cursorPosition_ = selectedCount_ = 0;
}

bool TIDbRecFile::LoadRecords(const std::string &path, IProgressGauge *gauge) {
  FreeRecords();
  std::ifstream file(path, std::ios::binary);
  if (!file.is_open())
    return false;
  file.seekg(0, std::ios::end);
  const std::streamoff size = file.tellg();
  file.seekg(0);
  if (size < 0)
    return false;
  uint8_t countBytes[4];
  file.read(reinterpret_cast<char *>(countBytes), 4);
  if (file.gcount() != 4)
    return false;
  const int32_t count = I32(countBytes);
  if (gauge) {
    gauge->SetProgress(0);
    gauge->SetVisible(true);
  }
  // A negative count is a damaged file, not an empty one.
  bool complete = count >= 0;
  std::streamoff position = 4;
  for (int32_t i = 1; i <= count; ++i) {
    uint8_t header[8];
    file.read(reinterpret_cast<char *>(header), 8);
    if (file.gcount() != 8) {
      complete = false;
      break;
    }
    position += 8;
    auto record = std::make_unique<Stored>();
    record->Id = I32(header);
    record->NameLength = U16(header + 4);
    record->TextLength = U16(header + 6);
    // Lengths the rest of the file cannot hold are not allocated at all.
    const std::streamoff needed = std::streamoff(record->NameLength) + record->TextLength;
    if (needed > size - position) {
      complete = false;
      break;
    }
    record->Name = ReadText(file, record->NameLength);
    record->Text = record->Name ? ReadText(file, record->TextLength) : nullptr;
    if (!record->Text) {
      complete = false;
      break;
    }
    position += needed;
    if (!records_.Add(record.get())) {
      complete = false;
      break;
    }
    record.release();
    if (gauge) {
      gauge->SetProgress(Percent(i, count));
      gauge->ProcessPendingMessages();
    }
  }
  if (gauge)
    gauge->SetVisible(false);
  return complete;
}

void TIDbRecFile::SelectRecords(const std::string &text) {
  cursorOrdinal_ = cursorPosition_ = selectedCount_ = 0;
  for (int32_t p = 1; p <= records_.Count(); ++p) {
    Stored *record = At(p);
    record->Selected = std::strstr(record->Name.get(), text.c_str()) != nullptr;
    if (record->Selected && ++selectedCount_ == 1) {
      cursorOrdinal_ = 1;
      cursorPosition_ = p;
    }
  }
}

TIDbRec TIDbRecFile::GetSelectedRecord(int32_t n) {
  if (n < 1 || n > selectedCount_)
    return {};
  if (n != cursorOrdinal_) {
    // Start from the nearest of the cursor, the start (ordinal 0) and the end
    // (ordinal SelectedCount + 1); ties go to the start or the end.
    int32_t ordinal = 0, position = 0;
    const int32_t fromStart = n;
    const int32_t fromEnd = selectedCount_ + 1 - n;
    const int32_t fromCursor = cursorOrdinal_ >= 1 ? std::abs(n - cursorOrdinal_) : INT32_MAX;
    if (fromCursor < fromStart && fromCursor < fromEnd) {
      ordinal = cursorOrdinal_;
      position = cursorPosition_;
    } else if (fromEnd < fromStart) {
      ordinal = selectedCount_ + 1;
      position = records_.Count() + 1;
    }
    const int32_t step = n > ordinal ? 1 : -1;
    while (ordinal != n) {
      position += step;
      ++walkSteps_;
      Stored *record = At(position);
      if (!record)
        return {}; // the selection no longer matches the records
      if (record->Selected)
        ordinal += step;
    }
    cursorOrdinal_ = ordinal;
    cursorPosition_ = position;
  }
  Stored *record = At(cursorPosition_);
  if (!record)
    return {};
  TIDbRec copy;
  copy.Id = record->Id;
  copy.NameLength = record->NameLength;
  copy.TextLength = record->TextLength;
  copy.Name = record->Name.get();
  copy.Text = record->Text.get();
  copy.Selected = record->Selected;
  return copy;
}

std::array<std::string, 4> TIDbRecFile::SplitName(const char *name) {
  std::array<std::string, 4> parts;
  if (!name)
    return parts;
  size_t part = 0;
  for (const char *p = name; *p && part < 4; ++p) {
    if (*p == '|')
      ++part;
    else
      parts[part] += *p;
  }
  return parts;
}
