#pragma once
// The bearer token a user presents to one profile server, kept in the user's
// registry hive under kTokenKey below HKEY_CURRENT_USER: one key per server
// ("name:port"), one string value per user name.

#include <string>

inline constexpr char kTokenKey[] = "Software\\Veltrin\\Movaro\\ProfileServers";

// The token of user at server ("name:port"); one is created (32 random bytes
// in hex) and stored when there is none or the stored one is not well formed.
// False with a reason when there is none and none can be stored: a token that
// is not kept would lock the user out at the next login.
bool UserToken(const std::string &server, const std::string &user, std::string &token, std::string &problem);

// The SHA-256 fingerprint of the certificate pinned for server ("name:port"):
// the value kPinValue under HKEY_LOCAL_MACHINE\kTokenKey\name:port, which an
// administrator (or the installation) writes. Empty when there is none. False
// with a reason when the value is there but is not a fingerprint: it must not
// quietly fall back to trusting any certificate an authority signed.
inline constexpr char kPinValue[] = "CertificateSha256";
bool PinnedCertificate(const std::string &server, std::string &pin, std::string &problem);
