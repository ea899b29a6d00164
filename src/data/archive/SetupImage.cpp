#include "data/archive/SetupImage.h"

#include <cstring>

namespace {

// Offsets in the PE headers.
constexpr int64_t kNewHeaderPointer = 0x3C;   // e_lfanew in the MS-DOS header
constexpr int64_t kFileHeaderSize = 20;       // after the 4-byte signature
constexpr int64_t kChecksumOffset = 64;       // in the optional header, both formats
constexpr int64_t kDirectoriesPe32 = 96;      // data directories of PE32
constexpr int64_t kDirectoriesPe32Plus = 112; // and of PE32+
constexpr int kCertificateDirectory = 4;
constexpr int64_t kSectionHeaderSize = 40;

uint32_t Le32(const unsigned char *p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t Le16(const unsigned char *p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// What the headers say, read from the first bytes of a file or image.
struct TPeHeaders {
  int64_t OptionalHeader = 0;   // file offset of the optional header
  int64_t CertificateEntry = 0; // file offset of the certificate table's directory entry; 0: none
  int64_t SectionTable = 0;
  int Sections = 0;
};

// Reads the headers from a byte source given as a function (a file or memory).
template <class TRead> bool ReadHeaders(TRead read, int64_t size, TPeHeaders &h) {
  unsigned char b[4];
  if (size < 0x40 || !read(0, b, 2) || b[0] != 'M' || b[1] != 'Z' || !read(kNewHeaderPointer, b, 4))
    return false;
  int64_t pe = Le32(b);
  unsigned char file[4 + kFileHeaderSize];
  if (pe <= 0 || pe + static_cast<int64_t>(sizeof file) + 2 > size || !read(pe, file, sizeof file) ||
      std::memcmp(file, "PE\0\0", 4) != 0)
    return false;
  h.Sections = Le16(file + 4 + 2);
  int64_t optionalSize = Le16(file + 4 + 16);
  h.OptionalHeader = pe + 4 + kFileHeaderSize;
  h.SectionTable = h.OptionalHeader + optionalSize;
  if (!read(h.OptionalHeader, b, 2))
    return false;
  int64_t directories = Le16(b) == 0x10B ? kDirectoriesPe32 : Le16(b) == 0x20B ? kDirectoriesPe32Plus : 0;
  if (directories == 0)
    return false;
  if (!read(h.OptionalHeader + directories - 4, b, 4))
    return false;
  int64_t entry = h.OptionalHeader + directories + 8 * kCertificateDirectory;
  if (Le32(b) > kCertificateDirectory && entry + 8 <= h.SectionTable && entry + 8 <= size)
    h.CertificateEntry = entry;
  return true;
}

auto FileReader(TFileStream &file) {
  return [&file](int64_t at, unsigned char *buffer, int64_t count) {
    return file.Seek(at) && ReadFully(file, buffer, count) == count;
  };
}

// The certificate table's place in the file; false when there is none.
bool CertificateTable(TFileStream &file, int64_t size, int64_t &start, int64_t &length) {
  TPeHeaders h;
  unsigned char entry[8];
  if (!ReadHeaders(FileReader(file), size, h) || h.CertificateEntry == 0 ||
      !FileReader(file)(h.CertificateEntry, entry, 8))
    return false;
  start = Le32(entry);
  length = Le32(entry + 4);
  return start > 0 && length > 0;
}

} // namespace

int64_t ArchiveEnd(TFileStream &file) {
  int64_t size = file.Size();
  if (size < 0)
    return -1;
  int64_t start = 0, length = 0;
  if (CertificateTable(file, size, start, length) && start < size && start + length == size)
    return start;
  return size;
}

bool HasCertificateTable(TFileStream &file) {
  int64_t start = 0, length = 0;
  return CertificateTable(file, file.Size(), start, length);
}

int64_t ImageEnd(TFileStream &file) {
  int64_t size = file.Size();
  TPeHeaders h;
  if (size < 0 || !ReadHeaders(FileReader(file), size, h))
    return 0;
  int64_t end = h.SectionTable + h.Sections * kSectionHeaderSize;
  unsigned char section[kSectionHeaderSize];
  for (int i = 0; i < h.Sections; ++i) {
    if (!FileReader(file)(h.SectionTable + i * kSectionHeaderSize, section, kSectionHeaderSize))
      return 0;
    int64_t rawEnd = int64_t(Le32(section + 20)) + Le32(section + 16); // PointerToRawData + SizeOfRawData
    if (Le32(section + 16) > 0 && rawEnd > end)
      end = rawEnd;
  }
  return end;
}

void NormalizeInstallerImage(char *image, size_t size) {
  auto *bytes = reinterpret_cast<unsigned char *>(image);
  auto read = [&](int64_t at, unsigned char *buffer, int64_t count) {
    if (at < 0 || count < 0 || at + count > static_cast<int64_t>(size))
      return false;
    std::memcpy(buffer, bytes + at, static_cast<size_t>(count));
    return true;
  };
  TPeHeaders h;
  if (!ReadHeaders(read, static_cast<int64_t>(size), h) ||
      h.OptionalHeader + kChecksumOffset + 4 > static_cast<int64_t>(size))
    return;
  std::memset(bytes + h.OptionalHeader + kChecksumOffset, 0, 4);
  if (h.CertificateEntry != 0 && Le32(bytes + h.CertificateEntry) >= size)
    std::memset(bytes + h.CertificateEntry, 0, 8);
}
