#pragma once
// The system registry through the advapi32 ANSI calls.

#include "platform/Registry.h"

class TWin32Registry : public IRegistry {
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
};
