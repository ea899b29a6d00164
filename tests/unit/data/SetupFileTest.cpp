// What the setup file adds to the plain archive: the manifest of SHA-256
// digests checked before a member is written, the zeros that align its end,
// and the certificate table a signature appends behind the archive.
#include "authoring/ArchiveWriter.h"
#include "base/Sha256.h"
#include "data/archive/Archive.h"
#include "data/archive/Manifest.h"
#include "data/archive/SetupImage.h"
#include "platform/headless/HeadlessFileSystem.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

constexpr uint32_t kDos = 862411107;

std::string Noise(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char &c : s)
    c = static_cast<char>(rng());
  return s;
}

void Put32(std::string &s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i)
    s[at + i] = static_cast<char>(v >> (8 * i));
}

// The smallest PE32 image the helpers read: headers up to 0x200, one section
// of 0x200 bytes behind them, a non-zero checksum.
constexpr size_t kPe = 0x80, kOptional = kPe + 24, kCertificateEntry = kOptional + 96 + 4 * 8;
std::string MinimalPe() {
  std::string s(0x400, '\0');
  s[0] = 'M';
  s[1] = 'Z';
  Put32(s, 0x3C, kPe);
  std::memcpy(&s[kPe], "PE\0\0", 4);
  s[kPe + 4] = 0x4C, s[kPe + 5] = 0x01; // i386
  s[kPe + 6] = 1;                       // one section
  s[kPe + 20] = static_cast<char>(224); // size of the optional header
  s[kOptional] = 0x0B, s[kOptional + 1] = 0x01;
  Put32(s, kOptional + 64, 0x1234);     // checksum
  Put32(s, kOptional + 92, 16);         // data directories
  size_t section = kOptional + 224;
  std::memcpy(&s[section], ".text", 5);
  Put32(s, section + 16, 0x200); // size of raw data
  Put32(s, section + 20, 0x200); // pointer to raw data
  for (size_t i = 0x200; i < s.size(); ++i)
    s[i] = static_cast<char>(i * 7);
  return s;
}

// What a signing tool does to a file: zeros up to a multiple of 8, then the
// certificate table, named in the header with a new checksum.
std::string Signed(std::string file, size_t tableSize) {
  file.append((8 - file.size() % 8) % 8, '\0');
  Put32(file, kCertificateEntry, static_cast<uint32_t>(file.size()));
  Put32(file, kCertificateEntry + 4, static_cast<uint32_t>(tableSize));
  Put32(file, kOptional + 64, 0xBEEF);
  return file + Noise(tableSize, 9);
}

TEST(Sha256, KnownDigestsWhateverThePieces) {
  EXPECT_EQ(Sha256Hex("", 0), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex("abc", 3), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  // A million times "a", fed in pieces that cross the 64-byte blocks unevenly.
  TSha256 sha;
  std::string piece(997, 'a');
  size_t left = 1000000;
  for (size_t n = 1; left > 0; n = n % 984 + 13) { // pieces of up to 996 bytes
    size_t take = std::min(left, n);
    sha.Update(piece.data(), take);
    left -= take;
  }
  EXPECT_EQ(DigestHex(sha.Finish()), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(Manifest, ReadsWhatTheWriterWritesAndRefusesOtherTexts) {
  TManifest m;
  std::string digest(64, 'a');
  ASSERT_TRUE(ParseManifest(ManifestLine(digest, "Movaro.exe") + "\r\n" +
                                ManifestLine(std::string(64, '0'), "a b.txt"),
                            m));
  EXPECT_EQ(ManifestDigest(m, "MOVARO.EXE"), digest);
  EXPECT_EQ(ManifestDigest(m, "a b.txt"), std::string(64, '0'));
  EXPECT_EQ(ManifestDigest(m, "other"), "");
  EXPECT_FALSE(ParseManifest("", m));
  EXPECT_FALSE(ParseManifest(ManifestLine(std::string(63, 'a'), "x"), m));
  EXPECT_FALSE(ParseManifest(ManifestLine(std::string(64, 'A'), "x"), m)); // upper case is not written
  EXPECT_FALSE(ParseManifest(ManifestLine(digest, "x") + ManifestLine(digest, "X"), m));
}

class SetupFileTest : public ::testing::Test {
protected:
  // A setup of the minimal image, a stored and a packed member and the manifest.
  void Build(bool withManifest = true, bool aligned = true) {
    TArchiveWriter writer(files);
    ASSERT_TRUE(writer.Open(setup));
    ASSERT_TRUE(writer.AddStored("Kestrup.exe", kDos, image));
    ASSERT_TRUE(writer.AddMember("Noise.bin", kDos, noise)); // stored: noise does not pack
    ASSERT_TRUE(writer.AddMember("Text.txt", kDos, text));
    if (withManifest) {
      ASSERT_TRUE(writer.AddManifest(kDos));
    }
    ASSERT_TRUE(writer.Finish(aligned)) << writer.Error();
    bytes = TScratchFolder::ReadFile(setup);
  }
  void Rewrite(const std::string &content) { TScratchFolder::WriteFile(setup, content); }
  // Offset of a member as the directory says.
  size_t OffsetOf(const std::string &name) {
    TArchive probe(files);
    EXPECT_TRUE(probe.LoadDirectory(setup));
    return static_cast<size_t>(probe.LookupMember(name).Offset);
  }
  bool Extract(TArchive &archive, const std::string &name) {
    return archive.ExtractMember(archive.LookupMember(name), scratch.Path("out/" + name), "", "",
                                 [this](const std::string &m) { log.push_back(m); }, {});
  }
  bool Extracted(const std::string &name) { return files.FileExists(scratch.Path("out/" + name)); }

  TScratchFolder scratch;
  THeadlessFileSystem files;
  std::string setup = scratch.Path("setup.exe");
  std::string image = MinimalPe(), noise = Noise(3000, 1), text = std::string(20000, 't'), bytes;
  std::vector<std::string> log;
};

TEST_F(SetupFileTest, GoodMembersPassAndTheInstallerComesOutAsBuilt) {
  Build();
  EXPECT_EQ(bytes.size() % 8, 0u);
  TArchive archive(files);
  ASSERT_TRUE(archive.LoadDirectory(setup));
  EXPECT_TRUE(archive.HasManifest());
  for (const char *name : {"Kestrup.exe", "Noise.bin", "Text.txt", "Manifest.sha256"})
    EXPECT_TRUE(Extract(archive, name)) << name;
  EXPECT_FALSE(archive.Damaged());
  EXPECT_EQ(TScratchFolder::ReadFile(scratch.Path("out/Text.txt")), text);
  // The manifest is what sha256sum would write for the extracted files; the
  // installer's checksum is cleared, as a signature would have changed it.
  std::string normalized = image;
  Put32(normalized, kOptional + 64, 0);
  EXPECT_EQ(TScratchFolder::ReadFile(scratch.Path("out/Kestrup.exe")), normalized);
  EXPECT_EQ(TScratchFolder::ReadFile(scratch.Path("out/Manifest.sha256")),
            ManifestLine(Sha256Hex(normalized.data(), normalized.size()), "Kestrup.exe") +
                ManifestLine(Sha256Hex(noise.data(), noise.size()), "Noise.bin") +
                ManifestLine(Sha256Hex(text.data(), text.size()), "Text.txt"));
}

TEST_F(SetupFileTest, AFlippedByteStopsEveryFurtherMember) {
  for (const char *damaged : {"Noise.bin", "Text.txt"}) {
    Build();
    std::string broken = bytes;
    broken[OffsetOf(damaged) + 10] ^= 0x10; // inside even the packed text
    Rewrite(broken);
    TArchive archive(files);
    ASSERT_TRUE(archive.LoadDirectory(setup));
    EXPECT_FALSE(Extract(archive, damaged)) << damaged;
    EXPECT_FALSE(Extracted(damaged)) << damaged; // never written, not even in part
    EXPECT_TRUE(archive.Damaged());
    EXPECT_EQ(log.back(), " Error: the setup file is damaged (" + std::string(damaged) + ")");
    EXPECT_FALSE(Extract(archive, "Kestrup.exe")); // a good member, from a damaged file
    EXPECT_FALSE(Extracted("Kestrup.exe"));
    files.RemoveFolder(scratch.Path("out"));
    log.clear();
  }
}

TEST_F(SetupFileTest, ACutFileIsDamagedAndTheBareInstallerIsNot) {
  Build();
  Rewrite(bytes.substr(0, bytes.size() - 10));
  TArchive archive(files);
  EXPECT_FALSE(archive.LoadDirectory(setup));
  EXPECT_TRUE(archive.Damaged());
  Rewrite(image); // the uninstaller's copy: no archive behind the image
  EXPECT_FALSE(archive.LoadDirectory(setup));
  EXPECT_FALSE(archive.Damaged());
  // A manifest member that is no manifest makes the whole file damaged.
  TArchiveWriter writer(files);
  ASSERT_TRUE(writer.Open(setup) && writer.AddStored("Kestrup.exe", kDos, image) &&
              writer.AddMember("Text.txt", kDos, text) &&
              writer.AddMember("Manifest.sha256", kDos, "not a manifest\n") && writer.Finish());
  ASSERT_TRUE(archive.LoadDirectory(setup));
  EXPECT_TRUE(archive.Damaged());
  EXPECT_FALSE(Extract(archive, "Text.txt"));
}

TEST_F(SetupFileTest, AnEmptyMemberIsNoDamage) {
  TArchiveWriter writer(files);
  ASSERT_TRUE(writer.Open(setup) && writer.AddStored("Kestrup.exe", kDos, image) &&
              writer.AddMember("Empty.txt", kDos, "") && writer.AddMember("Text.txt", kDos, text) &&
              writer.AddManifest(kDos) && writer.Finish(true));
  TArchive archive(files);
  ASSERT_TRUE(archive.LoadDirectory(setup));
  EXPECT_TRUE(archive.VerifyMembers());
  EXPECT_FALSE(Extract(archive, "Empty.txt")); // nothing to write
  EXPECT_FALSE(archive.Damaged());
  EXPECT_TRUE(Extract(archive, "Text.txt"));
}

TEST_F(SetupFileTest, AMemberTheManifestDoesNotKnowIsDamage) {
  TArchiveWriter writer(files);
  ASSERT_TRUE(writer.Open(setup) && writer.AddStored("Kestrup.exe", kDos, image) &&
              writer.AddMember("Text.txt", kDos, text) && writer.AddManifest(kDos) &&
              writer.AddMember("Late.txt", kDos, text) && writer.Finish(true));
  TArchive startup(files);
  ASSERT_TRUE(startup.LoadDirectory(setup));
  EXPECT_FALSE(startup.VerifyMembers());
  EXPECT_TRUE(startup.Damaged());
  TArchive unverified(files);
  ASSERT_TRUE(unverified.LoadDirectory(setup));
  EXPECT_FALSE(Extract(unverified, "Late.txt"));
  EXPECT_FALSE(Extracted("Late.txt"));
  EXPECT_TRUE(unverified.Damaged());
}

TEST_F(SetupFileTest, WithoutAManifestMembersAreWrittenUnchecked) {
  Build(false);
  std::string broken = bytes;
  broken[OffsetOf("Noise.bin") + 100] ^= 0x10;
  Rewrite(broken);
  TArchive archive(files);
  ASSERT_TRUE(archive.LoadDirectory(setup));
  EXPECT_FALSE(archive.HasManifest());
  EXPECT_TRUE(Extract(archive, "Noise.bin"));
  EXPECT_TRUE(Extract(archive, "Text.txt"));
  EXPECT_FALSE(archive.Damaged());
}

TEST_F(SetupFileTest, ASignedFileEndsItsArchiveWhereTheCertificateTableStarts) {
  for (bool aligned : {true, false}) {
    Build(true, aligned);
    Rewrite(Signed(bytes, 1500));
    TArchive archive(files);
    ASSERT_TRUE(archive.LoadDirectory(setup)) << aligned;
    EXPECT_EQ(archive.Directory().size(), 4u);
    for (const char *name : {"Kestrup.exe", "Noise.bin", "Text.txt"})
      EXPECT_TRUE(Extract(archive, name)) << name << aligned;
    // The installer copy carries neither the signature's entry nor its checksum.
    std::string copy = TScratchFolder::ReadFile(scratch.Path("out/Kestrup.exe"));
    std::string expected = image;
    Put32(expected, kOptional + 64, 0);
    EXPECT_EQ(copy, expected) << aligned;
    files.RemoveFolder(scratch.Path("out"));
  }
  // A certificate entry that does not end the file is not a signature: the
  // archive reads to the file's end.
  Build();
  std::string other = bytes;
  Put32(other, kCertificateEntry, 0x100);
  Put32(other, kCertificateEntry + 4, 0x10);
  Rewrite(other);
  TArchive archive(files);
  EXPECT_TRUE(archive.LoadDirectory(setup));
}

} // namespace
