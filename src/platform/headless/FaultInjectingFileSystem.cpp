#include "platform/headless/FaultInjectingFileSystem.h"

#include <algorithm>

namespace {

using TOperation = TFaultInjectingFileSystem::TOperation;

// A stream whose reads and writes ask the file system whether they fail.
class TFaultyStream : public TFileStream {
public:
  TFaultyStream(std::unique_ptr<TFileStream> inner, TFaultInjectingFileSystem &faults)
      : inner_(std::move(inner)), faults_(faults) {}
  int64_t Size() override { return inner_->Size(); }
  bool Seek(int64_t position) override { return inner_->Seek(position); }
  int32_t Read(void *buffer, int32_t count) override {
    if (faults_.NextFails(TOperation::Read))
      return -1;
    return inner_->Read(buffer, count);
  }
  int32_t Write(const void *buffer, int32_t count) override {
    if (faults_.NextFails(TOperation::Write))
      return 0;
    int32_t allowed = faults_.AllowedWrite(count);
    return allowed > 0 ? inner_->Write(buffer, allowed) : 0;
  }
  bool Flush() override { return !faults_.NextFails(TOperation::Write) && inner_->Flush(); }

private:
  std::unique_ptr<TFileStream> inner_;
  TFaultInjectingFileSystem &faults_;
};

} // namespace

void TFaultInjectingFileSystem::Fail(TOperation operation, int n, bool lasting) {
  Rule(operation).FailAt = n;
  Rule(operation).Lasting = lasting;
}

void TFaultInjectingFileSystem::Reset() {
  for (TRule &rule : rules_)
    rule = TRule{};
  failures_ = 0;
  faultError_ = lastFault_ = TFileError::None;
  faulted_ = false;
  diskSpace_ = -1;
  pathMask_.assign(1, '*'); // every path (assigning the literal trips a false GCC 12 warning)
}

namespace {

TFileError ReasonOf(TOperation operation) {
  switch (operation) {
  case TOperation::Write:
    return TFileError::DiskFull;
  case TOperation::Read:
  case TOperation::Rename:
    return TFileError::Other;
  default:
    return TFileError::AccessDenied;
  }
}

} // namespace

bool TFaultInjectingFileSystem::NextFails(TOperation operation) {
  auto hits = [](TRule &rule) {
    ++rule.Seen;
    return rule.FailAt > 0 && (rule.Seen == rule.FailAt || (rule.Lasting && rule.Seen > rule.FailAt));
  };
  // Both counters move, whichever fails.
  bool byKind = hits(Rule(operation));
  bool byCount = hits(Rule(TOperation::Any));
  faulted_ = byKind || byCount;
  if (faulted_) {
    ++failures_;
    lastFault_ = faultError_ != TFileError::None ? faultError_ : ReasonOf(operation);
    if (onFault_)
      onFault_();
  }
  return faulted_;
}

int32_t TFaultInjectingFileSystem::AllowedWrite(int32_t count) {
  if (diskSpace_ < 0 || count <= 0)
    return count;
  int32_t allowed = static_cast<int32_t>(std::min<int64_t>(count, diskSpace_));
  diskSpace_ -= allowed;
  if (allowed < count) {
    ++failures_;
    faulted_ = true;
    lastFault_ = TFileError::DiskFull;
  }
  return allowed;
}

bool TFaultInjectingFileSystem::Watched(const std::string &path) const {
  return MatchesMask(path, pathMask_);
}

bool TFaultInjectingFileSystem::NextFails(TOperation operation, const std::string &path) {
  if (Watched(path))
    return NextFails(operation);
  faulted_ = false;
  return false;
}

std::unique_ptr<TFileStream> TFaultInjectingFileSystem::Wrap(std::unique_ptr<TFileStream> stream,
                                                             const std::string &path) {
  if (!stream || !Watched(path))
    return stream;
  return std::make_unique<TFaultyStream>(std::move(stream), *this);
}

bool TFaultInjectingFileSystem::RenameFile(const std::string &from, const std::string &to,
                                           uint32_t flags) {
  if (NextFails(TOperation::Rename, from))
    return false;
  return inner_.RenameFile(from, to, flags);
}

std::unique_ptr<TFileStream> TFaultInjectingFileSystem::OpenRead(const std::string &path) {
  if (NextFails(TOperation::Open, path))
    return nullptr;
  return Wrap(inner_.OpenRead(path), path);
}

std::unique_ptr<TFileStream> TFaultInjectingFileSystem::Create(const std::string &path) {
  if (NextFails(TOperation::Open, path))
    return nullptr;
  return Wrap(inner_.Create(path), path);
}

std::unique_ptr<TFileStream> TFaultInjectingFileSystem::OpenAppend(const std::string &path) {
  if (NextFails(TOperation::Open, path))
    return nullptr;
  return Wrap(inner_.OpenAppend(path), path);
}
