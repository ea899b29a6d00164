#include "authoring/ArchiveWriter.h"
#include "base/AnsiText.h"
#include "data/archive/Archive.h"
#include "data/archive/DosDateTime.h"
#include "platform/headless/FaultInjectingFileSystem.h"
#include "platform/headless/HeadlessFileSystem.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

constexpr uint32_t kExampleDos = 862411107; // 2005-11-07 11:11:06

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char &c : s)
    c = static_cast<char>(rng());
  return s;
}

std::string TextBytes(size_t n) {
  std::string s;
  for (int i = 0; s.size() < n; ++i)
    s += "line " + std::to_string(i) + " of the readme\r\n";
  s.resize(n);
  return s;
}

TDateTime Date(uint32_t dos) {
  TDateTime d = 0;
  EXPECT_TRUE(DosDateTimeToDateTime(dos, d));
  return d;
}

// Bytes of a hand-made archive: the given body, directory text and length word.
std::string RawArchive(const std::string &body, const std::string &directory, uint32_t length) {
  std::string s = body + directory;
  for (int i = 0; i < 4; ++i)
    s += static_cast<char>((length >> (8 * i)) & 0xFF);
  return s;
}

class ArchiveTest : public ::testing::Test {
protected:
  // The setup: an installer image, then a compressible text, random bytes
  // (stored) and an empty file.
  void BuildSetup() {
    image = RandomBytes(5000, 1);
    text = TextBytes(40000);
    noise = RandomBytes(3000, 2);
    TArchiveWriter writer(files);
    ASSERT_TRUE(writer.Open(setup));
    ASSERT_TRUE(writer.AddStored("Kestrup.exe", kExampleDos, image));
    ASSERT_TRUE(writer.AddMember("Readme.txt", kExampleDos + 1, text));
    ASSERT_TRUE(writer.AddMember("Noise.bin", kExampleDos, noise));
    ASSERT_TRUE(writer.AddMember("Empty.txt", kExampleDos, ""));
    ASSERT_TRUE(writer.Finish()) << writer.Error();
    ASSERT_TRUE(archive.LoadDirectory(setup));
  }

  bool Extract(const std::string &name, const std::string &target, const std::string &fileAttributes = "",
               const std::string &folderAttributes = "") {
    return archive.ExtractMember(archive.LookupMember(name), target, fileAttributes, folderAttributes,
                                 [this](const std::string &m) { log.push_back(m); },
                                 [this](int p) { progress.push_back(p); });
  }

  TScratchFolder scratch;
  THeadlessFileSystem files;
  TArchive archive{files};
  std::string setup = scratch.Path("setup.exe");
  std::string image, text, noise;
  std::vector<std::string> log;
  std::vector<int> progress;
};

TEST(DosDateTime, ConvertsBothWays) {
  TDateTimeParts p;
  ASSERT_TRUE(DecodeDateTime(Date(kExampleDos), p));
  EXPECT_EQ(p.Year, 2005);
  EXPECT_EQ(p.Month, 11);
  EXPECT_EQ(p.Day, 7);
  EXPECT_EQ(p.Hour, 11);
  EXPECT_EQ(p.Minute, 11);
  EXPECT_EQ(p.Second, 6);
  uint32_t back = 0;
  ASSERT_TRUE(DateTimeToDosDateTime(Date(kExampleDos) + 1.0 / 86400, back)); // odd second rounds down
  EXPECT_EQ(back, kExampleDos);
  TDateTime d = 5;
  EXPECT_FALSE(DosDateTimeToDateTime(0, d)); // month 0
  EXPECT_EQ(d, 5);
  EXPECT_EQ(StampLogLine(Date(kExampleDos), " Error: decompression failed"),
            "11:11:06 Error: decompression failed");
}

TEST(ArchiveDirectory, ParsesLinesAndTheEmptyEntry) {
  TFileData e = ParseFileData("Kestrup.exe=862411107;871424;871424;0;");
  EXPECT_EQ(e.Name, "Kestrup.exe");
  EXPECT_EQ(e.Date, Date(kExampleDos));
  EXPECT_EQ(e.Size, 871424);
  EXPECT_EQ(e.CompressedSize, 871424);
  EXPECT_EQ(e.Offset, 0);

  e = ParseFileData("odd=x;12a;;");
  EXPECT_EQ(e.Name, "odd");
  EXPECT_EQ(e.Date, 0);
  EXPECT_EQ(e.Size, 0);
  EXPECT_EQ(e.CompressedSize, 0);
  EXPECT_EQ(e.Offset, -1);
  EXPECT_EQ(ParseFileData("big=1;99999999999;5;7").Size, 0); // out of 32-bit range
  EXPECT_EQ(ParseFileData("big=1;99999999999;5;7").Offset, 7); // last field without ";"

  for (const char *line : {"", "no equals sign"}) {
    e = ParseFileData(line);
    EXPECT_EQ(e.Name, "");
    EXPECT_EQ(e.Date, 0);
    EXPECT_EQ(e.Size, 0);
    EXPECT_EQ(e.CompressedSize, 0);
    EXPECT_EQ(e.Offset, -1);
  }
}

TEST_F(ArchiveTest, RoundTripThroughTheWriter) {
  BuildSetup();
  ASSERT_EQ(archive.Directory().size(), 4u);
  EXPECT_EQ(archive.Directory()[0], "Kestrup.exe=862411107;5000;5000;0;");

  TFileData readme = archive.LookupMember("Readme.txt");
  EXPECT_LT(readme.CompressedSize, readme.Size);
  EXPECT_EQ(readme.Offset, 5000);
  std::string raw = TScratchFolder::ReadFile(setup);
  EXPECT_EQ(raw.substr(readme.Offset, 2), "\x78\xDA"); // level 9 zlib stream
  TFileData stored = archive.LookupMember("Noise.bin");
  EXPECT_EQ(stored.Size, 3000);
  EXPECT_EQ(stored.CompressedSize, 3000); // random bytes do not shrink
  EXPECT_EQ(stored.Offset, readme.Offset + readme.CompressedSize);

  const std::string out = scratch.Path("out/sub/");
  ASSERT_TRUE(Extract("Kestrup.exe", out + "Kestrup.exe"));
  ASSERT_TRUE(Extract("Readme.txt", out + "Readme.txt"));
  ASSERT_TRUE(Extract("Noise.bin", out + "Noise.bin"));
  EXPECT_EQ(TScratchFolder::ReadFile(out + "Kestrup.exe"), image);
  EXPECT_EQ(TScratchFolder::ReadFile(out + "Readme.txt"), text);
  EXPECT_EQ(TScratchFolder::ReadFile(out + "Noise.bin"), noise);
  TDateTime when = 0;
  ASSERT_TRUE(files.GetLastWriteTime(out + "Readme.txt", when));
  EXPECT_EQ(when, Date(kExampleDos + 1));
  EXPECT_EQ(log, (std::vector<std::string>{" Extracting Kestrup.exe to " + out,
                                           " Extracting Readme.txt to " + out,
                                           " Extracting Noise.bin to " + out}));

  // The empty member is listed but never extracted.
  log.clear();
  TFileData empty = archive.LookupMember("Empty.txt");
  EXPECT_EQ(empty.Offset, stored.Offset + 3000);
  EXPECT_FALSE(Extract("Empty.txt", out + "Empty.txt"));
  EXPECT_FALSE(files.FileExists(out + "Empty.txt"));
  EXPECT_EQ(log, std::vector<std::string>{" Extracting Empty.txt to " + out});
}

TEST_F(ArchiveTest, LookupIgnoresCaseAndMissingMembersLogOnlyTheFirstLine) {
  BuildSetup();
  EXPECT_EQ(archive.LookupMember("README.TXT").Name, "Readme.txt");
  EXPECT_EQ(archive.LookupMember("kestrup.EXE").Offset, 0);
  EXPECT_EQ(archive.LookupMember("Readme").Offset, -1);
  EXPECT_EQ(archive.LookupMember("").Offset, -1);
  EXPECT_TRUE(SameText("\xDC" "bung.txt", "\xFC" "BUNG.TXT")); // Windows-1252 letters too
  EXPECT_FALSE(SameText("\xF7", "\xD7"));                     // division and multiplication signs

  const std::string target = scratch.Path("out/Missing.txt");
  EXPECT_FALSE(Extract("Missing.txt", target));
  EXPECT_EQ(log, std::vector<std::string>{" Extracting  to " + scratch.Path("out/")});
  EXPECT_TRUE(progress.empty());
  EXPECT_FALSE(files.DirectoryExists(scratch.Path("out")));
}

TEST_F(ArchiveTest, ReportsProgressPerBlockAndPerInflatedChunk) {
  BuildSetup();
  TFileData stored = archive.LookupMember("Kestrup.exe"); // 5000 bytes: 5 blocks of 1024
  ASSERT_TRUE(Extract("Kestrup.exe", scratch.Path("a.exe")));
  EXPECT_EQ(progress, (std::vector<int>{0, 20, 40, 61, 81, 100, 0}));

  progress.clear();
  TFileData readme = archive.LookupMember("Readme.txt");
  ASSERT_TRUE(Extract("Readme.txt", scratch.Path("r.txt")));
  size_t blocks = (readme.CompressedSize + 1023) / 1024;
  ASSERT_GT(progress.size(), blocks + 2);
  EXPECT_EQ(progress[blocks], 100); // reading done
  EXPECT_EQ(progress[blocks + 1], 0);
  EXPECT_EQ(progress.back(), 100); // inflating done
  for (size_t i = blocks + 2; i < progress.size(); ++i)
    EXPECT_GE(progress[i], progress[i - 1]);
}

TEST_F(ArchiveTest, AppliesAttributesAfterTheTime) {
  BuildSetup();
  const std::string folder = scratch.Path("prog/");
  ASSERT_TRUE(Extract("Readme.txt", folder + "Readme.txt", "1", "2"));
  uint32_t mask = 0;
  ASSERT_TRUE(files.GetAttributes(folder + "Readme.txt", mask));
  EXPECT_EQ(mask, kFileAttributeReadOnly);
  ASSERT_TRUE(files.GetAttributes(folder, mask));
  EXPECT_EQ(mask, kFileAttributeHidden | kFileAttributeDirectory);

  // "0", empty and non-numeric texts leave what the platform made.
  for (const char *none : {"0", "", "-3", "x"}) {
    ASSERT_TRUE(Extract("Noise.bin", scratch.Path("plain/Noise.bin"), none, none));
    ASSERT_TRUE(files.GetAttributes(scratch.Path("plain/Noise.bin"), mask));
    EXPECT_EQ(mask, kFileAttributeArchive) << none;
    ASSERT_TRUE(files.GetAttributes(scratch.Path("plain"), mask));
    EXPECT_EQ(mask, kFileAttributeDirectory) << none;
  }

  // The read-only file cannot be replaced, and the log says why.
  log.clear();
  EXPECT_FALSE(Extract("Readme.txt", folder + "Readme.txt"));
  EXPECT_EQ(log, (std::vector<std::string>{" Extracting Readme.txt to " + folder,
                                           " Error: Unable to create " + folder + "Readme.txt",
                                           " Error: access is denied (" + folder + "Readme.txt)"}));
  EXPECT_FALSE(files.FileExists(folder + "Readme.txt.~new"));
  EXPECT_EQ(TScratchFolder::ReadFile(folder + "Readme.txt"), text);
}

TEST_F(ArchiveTest, FolderThatCannotBeMadeIsLogged) {
  BuildSetup();
  TScratchFolder::WriteFile(scratch.Path("blocker"), "a file where a folder should be");
  const std::string folder = scratch.Path("blocker/inner/");
  EXPECT_FALSE(Extract("Noise.bin", folder + "Noise.bin"));
  EXPECT_EQ(log.back(), " Error: Unable to create " + folder);
}

// A file system whose time stamps always fail, as for a file held open elsewhere.
class TNoTimeFileSystem : public THeadlessFileSystem {
public:
  bool SetLastWriteTime(const std::string &, TDateTime) override { return false; }
};

TEST_F(ArchiveTest, FailedTimeStampLeavesNoFile) {
  BuildSetup();
  TNoTimeFileSystem noTime;
  TArchive other(noTime);
  ASSERT_TRUE(other.LoadDirectory(setup));
  const std::string target = scratch.Path("Readme.txt");
  EXPECT_FALSE(other.ExtractMember(other.LookupMember("Readme.txt"), target, "1", "",
                                   [this](const std::string &m) { log.push_back(m); }, {}));
  EXPECT_FALSE(noTime.FileExists(target));
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[log.size() - 2], " Error: unable to extract Readme.txt");

  // A disk that fills up part-way leaves no half-written file either.
  TFaultInjectingFileSystem full(files);
  full.SetDiskSpace(10000);
  TArchive onFullDisk(full);
  ASSERT_TRUE(onFullDisk.LoadDirectory(setup));
  EXPECT_FALSE(onFullDisk.ExtractMember(onFullDisk.LookupMember("Readme.txt"), target, "", "", {}, {}));
  EXPECT_FALSE(files.FileExists(target));
}

TEST_F(ArchiveTest, DamagedAndImpossibleMembersFailCleanly) {
  {
    TArchiveWriter writer(files);
    ASSERT_TRUE(writer.Open(setup));
    ASSERT_TRUE(writer.AddMember("Good.txt", kExampleDos, TextBytes(20000)));
    ASSERT_TRUE(writer.Finish());
  }
  std::string body = TScratchFolder::ReadFile(setup);
  TFileData good = ParseFileData(ReadArchiveDirectory(files, setup)[0]);
  body.resize(good.CompressedSize);
  std::string damaged = body;
  damaged[damaged.size() / 2] ^= 0x55;
  const std::string dos = std::to_string(kExampleDos);
  const std::string csize = std::to_string(good.CompressedSize);
  std::string directory =
      "Damaged.txt=" + dos + ";20000;" + csize + ";0;\r\n" +                  // corrupt stream
      "Short.txt=" + dos + ";20001;" + csize + ";" + csize + ";\r\n" +        // stream ends early
      "Long.txt=" + dos + ";19999;" + csize + ";" + csize + ";\r\n" +         // stream goes on
      "Bigger.txt=" + dos + ";100;200;0;\r\n" +                               // packed > unpacked
      "PastEnd.txt=" + dos + ";2000000000;2000000000;0;\r\n" +                // beyond the file
      "Ratio.txt=" + dos + ";2000000000;" + csize + ";" + csize + ";\r\n" +   // no zlib ratio
      "Huge.txt=" + dos + ";300000000;300000;0;\r\n";                         // over the bound
  std::string all = damaged + body + std::string(300000, '\0');
  TScratchFolder::WriteFile(setup, RawArchive(all, directory, static_cast<uint32_t>(directory.size())));
  ASSERT_TRUE(archive.LoadDirectory(setup));

  const std::string out = scratch.Path("out/");
  const std::string extracting = " Extracting ";
  for (const char *name : {"Damaged.txt", "Short.txt", "Long.txt", "Ratio.txt", "Huge.txt"}) {
    log.clear();
    EXPECT_FALSE(Extract(name, out + name)) << name;
    EXPECT_EQ(log, (std::vector<std::string>{extracting + name + " to " + out,
                                             " Error: decompression failed"}))
        << name;
    EXPECT_FALSE(files.FileExists(out + name));
  }
  for (const char *name : {"Bigger.txt", "PastEnd.txt"}) {
    log.clear();
    EXPECT_FALSE(Extract(name, out + name)) << name;
    EXPECT_EQ(log, std::vector<std::string>{extracting + name + " to " + out}) << name;
  }
  EXPECT_FALSE(files.DirectoryExists(out));
  // The intact copy behind the damaged one still extracts.
  TFileData intact = archive.LookupMember("Short.txt");
  intact.Size = 20000;
  EXPECT_TRUE(archive.ExtractMember(intact, out + "Intact.txt", "", "", {}, {}));
  EXPECT_EQ(TScratchFolder::ReadFile(out + "Intact.txt"), TextBytes(20000));
}

TEST_F(ArchiveTest, UnreadableDirectoriesAreEmpty) {
  const std::string line = "A.txt=862411107;3;3;0;\r\n";
  struct Case {
    const char *what;
    std::string bytes;
  } cases[] = {
      {"shorter than 4 bytes", "abc"},
      {"length before the file start", RawArchive("abc", line, 1000)},
      {"file cut inside the directory", RawArchive("abc", line, 24).substr(0, 13)},
      {"length of the whole file", RawArchive("abc", line, static_cast<uint32_t>(line.size() + 4))},
      {"length word 0xFFFFFFFF", RawArchive("abc", line, 0xFFFFFFFFu)},
  };
  for (const Case &c : cases) {
    TScratchFolder::WriteFile(setup, c.bytes);
    EXPECT_FALSE(archive.LoadDirectory(setup)) << c.what;
    EXPECT_TRUE(archive.Directory().empty()) << c.what;
  }
  EXPECT_TRUE(ReadArchiveDirectory(files, scratch.Path("missing.exe")).empty());

  // Exactly L bytes give the lines; the last one needs no CR LF.
  std::string text = line + "B.txt=1;2;2;3;";
  TScratchFolder::WriteFile(setup, RawArchive("abc", text, static_cast<uint32_t>(text.size())));
  ASSERT_TRUE(archive.LoadDirectory(setup));
  EXPECT_EQ(archive.Directory(), (TArchiveDirectory{"A.txt=862411107;3;3;0;", "B.txt=1;2;2;3;"}));
}

// A setup whose directory claims nearly 4 GB: on a 32-bit system (or with
// a small address space) the buffer cannot be had, and the reader says the
// directory is unreadable instead of throwing.
TEST(ArchiveDirectory, LengthBeyondMemoryIsRefused) {
  constexpr uint32_t kLength = 0xF0000000u;
  constexpr int64_t kSize = int64_t{kLength} + 16;
  class THugeSetup : public TFileStream {
  public:
    int64_t Size() override { return kSize; }
    bool Seek(int64_t position) override {
      at_ = position;
      return true;
    }
    int32_t Read(void *buffer, int32_t count) override {
      if (at_ != kSize - 4 || count < 4)
        return 0; // the claimed bytes are not there
      const uint32_t length = kLength;
      std::memcpy(buffer, &length, 4);
      at_ += 4;
      return 4;
    }
    int32_t Write(const void *, int32_t) override { return 0; }

  private:
    int64_t at_ = 0;
  };
  class THugeFiles : public THeadlessFileSystem {
  public:
    std::unique_ptr<TFileStream> OpenRead(const std::string &) override {
      return std::make_unique<THugeSetup>();
    }
  } files;
  EXPECT_TRUE(ReadArchiveDirectory(files, "setup.exe").empty());
}

TEST_F(ArchiveTest, WriterRefusesNamesThatCannotBeExtractedSafely) {
  TArchiveWriter writer(files);
  ASSERT_TRUE(writer.Open(setup));
  ASSERT_TRUE(writer.AddMember("One.txt", kExampleDos, "1"));
  for (const char *bad : {"..", "sub\\x.txt", "sub/x.txt", "C:x.txt", "con.txt", "trail.", "trail ", ""})
    EXPECT_FALSE(writer.AddMember(bad, kExampleDos, "x")) << bad;
  EXPECT_FALSE(writer.AddMember("ONE.TXT", kExampleDos, "2")); // same name in other case
  ASSERT_TRUE(writer.Finish());
  EXPECT_EQ(ReadArchiveDirectory(files, setup).size(), 1u);
}

TEST_F(ArchiveTest, BuildsTheSetupFromFiles) {
  image = RandomBytes(7000, 4);
  TScratchFolder::WriteFile(scratch.Path("Kestrup.exe"), image);
  TScratchFolder::WriteFile(scratch.Path("a.txt"), TextBytes(9000));
  std::string error;
  ASSERT_TRUE(BuildSetupArchive(files, setup, scratch.Path("Kestrup.exe"), {scratch.Path("a.txt")}, error))
      << error;
  ASSERT_TRUE(archive.LoadDirectory(setup));
  TFileData first = archive.LookupMember("Kestrup.exe");
  EXPECT_EQ(first.Offset, 0);
  EXPECT_EQ(first.Size, 7000);
  EXPECT_EQ(first.CompressedSize, 7000);
  uint32_t dos = 0;
  ASSERT_TRUE(FileDosDateTime(files, scratch.Path("a.txt"), dos));
  EXPECT_EQ(archive.LookupMember("a.txt").Date, Date(dos));
  ASSERT_TRUE(Extract("Kestrup.exe", scratch.Path("copy/Kestrup.exe")));
  EXPECT_EQ(TScratchFolder::ReadFile(scratch.Path("copy/Kestrup.exe")), image);

  EXPECT_FALSE(BuildContentContainer(files, scratch.Path("c.dat"), {scratch.Path("missing")}, error));
  EXPECT_FALSE(files.FileExists(scratch.Path("c.dat"))); // nothing half-built stays
}

} // namespace
