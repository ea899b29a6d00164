#include "platform/headless/HeadlessRegistry.h"

#include "base/AnsiText.h"

namespace {

std::string LastElement(const std::string &path) {
  size_t slash = path.rfind('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

// Drops the separators at both ends and refuses empty elements ("a\\b").
bool THeadlessRegistry::Normalise(const std::string &key, std::string &upper) {
  size_t begin = 0, end = key.size();
  while (begin < end && key[begin] == '\\')
    ++begin;
  while (end > begin && key[end - 1] == '\\')
    --end;
  upper = AnsiUpperCase(key.substr(begin, end - begin));
  return upper.find("\\\\") == std::string::npos;
}

bool THeadlessRegistry::KeyExists(TRootKey root, const std::string &key) {
  std::string path;
  if (!IsRoot(root) || !Normalise(key, path))
    return false;
  return path.empty() || keys_.count({root, path}) != 0;
}

TRegStatus THeadlessRegistry::ReadValue(TRootKey root, const std::string &key,
                                        const std::string &name, TRegValue &value) {
  std::string path;
  if (!IsRoot(root) || !Normalise(key, path))
    return TRegStatus::NoKey;
  auto k = keys_.find({root, path});
  if (k == keys_.end())
    return path.empty() ? TRegStatus::NoValue : TRegStatus::NoKey;
  auto v = k->second.Values.find(AnsiUpperCase(name));
  if (v == k->second.Values.end())
    return TRegStatus::NoValue;
  value = v->second.second;
  return TRegStatus::Ok;
}

TRegStatus THeadlessRegistry::WriteValue(TRootKey root, const std::string &key,
                                         const std::string &name, const TRegValue &value) {
  TRegStatus status = CreateKey(root, key);
  std::string path;
  if (status != TRegStatus::Ok || !Normalise(key, path))
    return status;
  keys_[{root, path}].Values[AnsiUpperCase(name)] = {name, value};
  return TRegStatus::Ok;
}

TRegStatus THeadlessRegistry::CreateKey(TRootKey root, const std::string &key) {
  std::string path;
  if (!IsRoot(root) || !Normalise(key, path) || readOnly_.count(root))
    return TRegStatus::NoKey;
  // Every level up to the key comes into being, as the system's create call does.
  size_t start = 0;
  std::string original = key.substr(key.find_first_not_of('\\') == std::string::npos
                                        ? key.size() : key.find_first_not_of('\\'));
  while (!path.empty()) {
    size_t slash = path.find('\\', start);
    std::string level = path.substr(0, slash);
    auto [it, created] = keys_.try_emplace({root, level});
    if (created)
      it->second.Name = LastElement(original.substr(0, level.size()));
    if (slash == std::string::npos)
      break;
    start = slash + 1;
  }
  return TRegStatus::Ok;
}

TRegStatus THeadlessRegistry::DeleteValue(TRootKey root, const std::string &key,
                                          const std::string &name) {
  std::string path;
  if (!IsRoot(root) || !Normalise(key, path))
    return TRegStatus::NoKey;
  auto k = keys_.find({root, path});
  if (k == keys_.end())
    return TRegStatus::NoKey;
  if (readOnly_.count(root))
    return TRegStatus::Failed;
  return k->second.Values.erase(AnsiUpperCase(name)) ? TRegStatus::Ok : TRegStatus::NoValue;
}

TRegStatus THeadlessRegistry::DeleteKey(TRootKey root, const std::string &key) {
  std::string path;
  if (!IsRoot(root) || !Normalise(key, path) || path.empty())
    return TRegStatus::Failed;
  auto k = keys_.find({root, path});
  if (k == keys_.end())
    return TRegStatus::NoKey;
  if (readOnly_.count(root))
    return TRegStatus::Failed;
  std::string prefix = path + "\\";
  auto it = keys_.lower_bound({root, prefix});
  while (it != keys_.end() && it->first.first == root && it->first.second.rfind(prefix, 0) == 0)
    it = keys_.erase(it);
  keys_.erase({root, path});
  return TRegStatus::Ok;
}

bool THeadlessRegistry::SubKeyNames(TRootKey root, const std::string &key,
                                    std::vector<std::string> &names) {
  names.clear();
  std::string path;
  if (!KeyExists(root, key) || !Normalise(key, path))
    return false;
  std::string prefix = path.empty() ? "" : path + "\\";
  for (auto it = keys_.lower_bound({root, prefix});
       it != keys_.end() && it->first.first == root && it->first.second.rfind(prefix, 0) == 0; ++it)
    if (it->first.second.find('\\', prefix.size()) == std::string::npos)
      names.push_back(it->second.Name);
  return true;
}

bool THeadlessRegistry::ValueNames(TRootKey root, const std::string &key,
                                   std::vector<std::string> &names) {
  names.clear();
  std::string path;
  if (!KeyExists(root, key) || !Normalise(key, path))
    return false;
  auto k = keys_.find({root, path});
  if (k != keys_.end())
    for (auto &[upper, value] : k->second.Values)
      names.push_back(value.first);
  return true;
}
