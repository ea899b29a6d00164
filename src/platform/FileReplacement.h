#pragma once
// The one place where a file on the disk is replaced or removed, so that a
// failure never destroys what was there: the new file is written under a
// temporary name in the target's folder, handed to the disk, given its date
// and attributes, and only then put in place of the old one in one step. A
// target in use (another program holds it open) is tried again for a while
// and then, when allowed, left to the next restart of the system, the new
// copy waiting under its temporary name.

#include "platform/FileSystem.h"

#include <cstdint>
#include <functional>
#include <string>

// What to do with a target that is in use.
struct TInUseRetry {
  int Retries = 0;                       // further tries after the first
  uint32_t WaitMs = 0;                   // before each of them
  std::function<void(uint32_t)> Wait;    // sleeps; none: tries again at once
  bool AtRestart = false;                // finally leave it to the next restart
};

enum class TReplaceOutcome { Done, AtRestart, Failed };

// Where a failed replacement stopped: the new bytes could not be written,
// dated, or put in place. The target is as it was in each case.
enum class TReplaceStep { None, Write, Stamp, Replace };

struct TReplaceResult {
  TReplaceOutcome Outcome = TReplaceOutcome::Done;
  TReplaceStep Step = TReplaceStep::None;
  TFileError Error = TFileError::None; // why it failed or waits for the restart
  bool Failed() const { return Outcome == TReplaceOutcome::Failed; }
};

class TFileReplacement {
public:
  explicit TFileReplacement(TFileSystem &fs, TInUseRetry inUse = {}) : fs_(fs), inUse_(std::move(inUse)) {}

  // Writes the bytes as the target's new content with the last-write time
  // and (when > 0) the attribute mask. The target's folder must exist. With
  // keepOldAs, an existing target is not replaced but moved to that name
  // first (and back when the new copy cannot be put in its place), so that
  // the old version can be brought back later.
  TReplaceResult Write(const std::string &target, const char *data, int64_t size, TDateTime date,
                       int32_t attributes, const std::string &keepOldAs = "");
  // Deletes a file; one in use is tried again and then left to the restart.
  TReplaceResult Remove(const std::string &path);

  // The name a new copy of the target is written under.
  static std::string TemporaryPath(const std::string &target) { return target + kTemporarySuffix; }
  static constexpr const char *kTemporarySuffix = ".~new";
  // The name a replaced or deleted file is kept under until its run is committed.
  static std::string BackupPath(const std::string &target) { return target + kBackupSuffix; }
  static constexpr const char *kBackupSuffix = ".~old";

private:
  // Runs the step until it succeeds, fails for another reason than the file
  // being in use, or the retries are spent; then the reason.
  TFileError Retried(const std::function<bool()> &step);
  void Discard(const std::string &temporary);

  TFileSystem &fs_;
  TInUseRetry inUse_;
};
