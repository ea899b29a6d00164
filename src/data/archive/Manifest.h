#pragma once
// The setup file's manifest: a member holding the SHA-256 digest of every
// other member's unpacked bytes, one line each in the form sha256sum writes
// ("digest  name", lower-case hexadecimal). The installer checks each member
// against it before writing the member anywhere; a setup file without a
// manifest is read as before, unchecked.

#include <map>
#include <string>

inline const std::string kManifestMember = "Manifest.sha256";

// Member names (upper-cased: lookups ignore letter case) -> digest text.
using TManifest = std::map<std::string, std::string>;

// False for a text that is not a manifest: a line that is not a 64-digit
// digest, two spaces and a name, or a name listed twice.
bool ParseManifest(const std::string &text, TManifest &manifest);
// One line of the manifest, ended by a line feed.
std::string ManifestLine(const std::string &digestHex, const std::string &name);
// The digest listed for a member; empty when the manifest lacks it.
std::string ManifestDigest(const TManifest &manifest, const std::string &name);
