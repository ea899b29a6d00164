#include "platform/FileReplacement.h"

namespace {

TReplaceResult Failure(TReplaceStep step, TFileError error) {
  // A refusal without a reason is still a refusal.
  return {TReplaceOutcome::Failed, step, error == TFileError::None ? TFileError::Other : error};
}

} // namespace

TFileError TFileReplacement::Retried(const std::function<bool()> &step) {
  for (int attempt = 0;; ++attempt) {
    if (step())
      return TFileError::None;
    TFileError error = fs_.LastError();
    if (error == TFileError::None)
      error = TFileError::Other; // failed all the same
    if (error != TFileError::InUse || attempt >= inUse_.Retries)
      return error;
    if (inUse_.Wait)
      inUse_.Wait(inUse_.WaitMs);
  }
}

void TFileReplacement::Discard(const std::string &temporary) {
  fs_.SetAttributes(temporary, kFileAttributeArchive); // a read-only copy could not be deleted
  fs_.RemoveFile(temporary);
}

TReplaceResult TFileReplacement::Write(const std::string &target, const char *data, int64_t size,
                                       TDateTime date, int32_t attributes,
                                       const std::string &keepOldAs) {
  const std::string temporary = TemporaryPath(target);
  auto failed = [&](TReplaceStep step, TFileError error) {
    Discard(temporary);
    return Failure(step, error);
  };
  // A copy left by an earlier run that stopped halfway is no one's file.
  if (fs_.FileExists(temporary))
    Discard(temporary);
  {
    std::unique_ptr<TFileStream> out = fs_.Create(temporary);
    if (!out)
      return Failure(TReplaceStep::Write, fs_.LastError());
    if (!WriteFully(*out, data, size) || !out->Flush()) {
      TFileError error = fs_.LastError();
      out.reset();
      return failed(TReplaceStep::Write, error);
    }
  }
  if (!fs_.SetLastWriteTime(temporary, date))
    return failed(TReplaceStep::Stamp, fs_.LastError());
  if (attributes > 0)
    SetPathAttributes(fs_, temporary, attributes); // as before: a mask that does not take is no failure
  const bool keepOld = !keepOldAs.empty() && fs_.FileExists(target);
  TFileError error = Retried([&] {
    return keepOld ? fs_.RenameFile(target, keepOldAs, kRenameReplaceExisting | kRenameWriteThrough)
                   : fs_.RenameFile(temporary, target, kRenameReplaceExisting | kRenameWriteThrough);
  });
  if (error == TFileError::None && keepOld) {
    // The old file is aside; the new one takes its name, or the old one
    // goes back.
    if (fs_.RenameFile(temporary, target, kRenameWriteThrough))
      return {};
    error = fs_.LastError();
    fs_.RenameFile(keepOldAs, target, kRenameReplaceExisting | kRenameWriteThrough);
    return failed(TReplaceStep::Replace, error == TFileError::None ? TFileError::Other : error);
  }
  if (error == TFileError::None)
    return {};
  // Only a target in use waits for the restart: a refusal of any other kind
  // would meet the same refusal then.
  if (error == TFileError::InUse && inUse_.AtRestart &&
      fs_.RenameFile(temporary, target, kRenameReplaceExisting | kRenameAtRestart))
    return TReplaceResult{TReplaceOutcome::AtRestart, TReplaceStep::None, error};
  return failed(TReplaceStep::Replace, error);
}

TReplaceResult TFileReplacement::Remove(const std::string &path) {
  TFileError error = Retried([&] { return fs_.RemoveFile(path); });
  if (error == TFileError::None)
    return {};
  if (error == TFileError::InUse && inUse_.AtRestart && fs_.RenameFile(path, "", kRenameAtRestart))
    return TReplaceResult{TReplaceOutcome::AtRestart, TReplaceStep::None, error};
  return Failure(TReplaceStep::Replace, error);
}
