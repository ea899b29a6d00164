#pragma once
// Device-independent bitmaps as a program's bitmap resources hold them: a
// bitmap file without its 14-byte file header. An information header (40
// bytes or more) or an old core header (12 bytes) comes first, then the
// colour table (4 bytes an entry after an information header, 3 after a core
// header), then the pixels. Resources are outside bytes like any file.

#include "data/image/Picture.h"

#include <cstdint>
#include <string_view>
#include <vector>

// The colour table in table order, each entry 0x00RRGGBB. Its length is the
// header's used-colours count, or 2 to the power of the bit count when that
// is 0 (always so for a core header); at most 65535 entries. False, with no
// colours, for a damaged header, a bitmap of more than 8 bits per pixel that
// announces no table, or a table that runs past the bytes.
bool ReadDibColorTable(std::string_view dib, std::vector<uint32_t> &colors);

// Decodes the pixels of a bitmap resource. False, with the picture left
// empty, for a damaged, truncated, compressed or oversized bitmap.
bool DecodeDib(std::string_view dib, TColorLevel level, TPicture &picture);
