#pragma once
// An in-memory registry for tests: keys and values behave as in the system
// registry (names without letter case, creating writes, recursive key
// deletion). A root can be made read-only to stand for a registry the user may
// not change.

#include "platform/Registry.h"

#include <map>
#include <set>

class THeadlessRegistry : public IRegistry {
public:
  bool KeyExists(TRootKey root, const std::string &key) override;
  TRegStatus ReadValue(TRootKey root, const std::string &key, const std::string &name,
                       TRegValue &value) override;
  TRegStatus CreateKey(TRootKey root, const std::string &key) override;
  TRegStatus WriteValue(TRootKey root, const std::string &key, const std::string &name,
                        const TRegValue &value) override;
  TRegStatus DeleteValue(TRootKey root, const std::string &key, const std::string &name) override;
  TRegStatus DeleteKey(TRootKey root, const std::string &key) override;
  bool SubKeyNames(TRootKey root, const std::string &key, std::vector<std::string> &names) override;
  bool ValueNames(TRootKey root, const std::string &key, std::vector<std::string> &names) override;

  void SetReadOnly(TRootKey root) { readOnly_.insert(root); }

private:
  struct TKey {
    std::string Name; // the last path element as first written
    std::map<std::string, std::pair<std::string, TRegValue>> Values; // upper name -> (name, value)
  };
  using TPath = std::pair<TRootKey, std::string>; // root, upper-case path without outer "\"
  static bool Normalise(const std::string &key, std::string &upper);
  bool IsRoot(TRootKey root) const { return root >= kHKeyClassesRoot && root <= kHKeyDynData; }

  std::map<TPath, TKey> keys_;
  std::set<TRootKey> readOnly_;
};
