#include "data/archive/Manifest.h"

#include "base/AnsiText.h"

bool ParseManifest(const std::string &text, TManifest &manifest) {
  manifest.clear();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    start = end == std::string::npos ? text.size() : end + 1;
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    if (line.empty())
      continue;
    if (line.size() < 67 || line.compare(64, 2, "  ") != 0)
      return false;
    for (size_t i = 0; i < 64; ++i)
      if (!((line[i] >= '0' && line[i] <= '9') || (line[i] >= 'a' && line[i] <= 'f')))
        return false;
    if (!manifest.emplace(AnsiUpperCase(line.substr(66)), line.substr(0, 64)).second)
      return false;
  }
  return !manifest.empty();
}

std::string ManifestLine(const std::string &digestHex, const std::string &name) {
  return digestHex + "  " + name + "\n";
}

std::string ManifestDigest(const TManifest &manifest, const std::string &name) {
  auto it = manifest.find(AnsiUpperCase(name));
  return it == manifest.end() ? "" : it->second;
}
