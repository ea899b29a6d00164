#include "netclient/TlsChannel.h"

#include "base/Sha256.h"
#include "protocol/ServerAddress.h"

#include <wincrypt.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr DWORD kContextFlags = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                                ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM;

std::string Hex32(unsigned long value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", value);
  return text;
}

std::wstring Wide(const std::string &text) {
  std::wstring wide;
  for (char c : text)
    wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
  return wide;
}

// Why the chain policy refused a certificate, for the user to read.
std::string ChainProblem(DWORD error) {
  switch (error) {
  case static_cast<DWORD>(CERT_E_UNTRUSTEDROOT):
  case static_cast<DWORD>(CERT_E_CHAINING):
    return "is not signed by an authority this computer trusts";
  case static_cast<DWORD>(CERT_E_EXPIRED):
    return "has expired or is not valid yet";
  case static_cast<DWORD>(CERT_E_CN_NO_MATCH):
    return "is made out for another name";
  case static_cast<DWORD>(CERT_E_REVOKED):
    return "has been revoked";
  case static_cast<DWORD>(CERT_E_WRONG_USAGE):
    return "is not meant for a server";
  default:
    return "was refused (" + Hex32(error) + ")";
  }
}

} // namespace

TTlsChannel::TTlsChannel(SOCKET socket, TWaitSocket wait) : socket_(socket), wait_(std::move(wait)) {}

TTlsChannel::~TTlsChannel() {
  if (haveContext_)
    DeleteSecurityContext(&context_);
  if (haveCredentials_)
    FreeCredentialsHandle(&credentials_);
}

bool TTlsChannel::SendRaw(const char *data, size_t size, DWORD deadline) {
  size_t sent = 0;
  while (sent < size) {
    if (wait_(true, deadline) != 1)
      return false;
    int put = send(socket_, data + sent, static_cast<int>(std::min<size_t>(size - sent, 65536)), 0);
    if (put <= 0)
      return false;
    sent += static_cast<size_t>(put);
  }
  return true;
}

int TTlsChannel::ReadMore(DWORD deadline) {
  int ready = wait_(false, deadline);
  if (ready == 0)
    return kTimedOut;
  if (ready < 0)
    return kFailed;
  char buffer[16384];
  int got = recv(socket_, buffer, sizeof buffer, 0);
  if (got <= 0)
    return got == 0 ? kClosed : kFailed;
  incoming_.append(buffer, static_cast<size_t>(got));
  return got;
}

bool TTlsChannel::Open(const std::string &serverName, const std::string &pin, DWORD deadline,
                       std::string &problem) {
  serverName_ = serverName;
  // The certificate is checked here, not by the system, so that a pinned
  // self-signed one can be accepted.
  // The newer settings structure is the only way to TLS 1.3 (Windows 10
  // 1809 and later); older systems refuse it and take the classic one.
  const DWORD flags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
  SCH_CREDENTIALS modern{};
  modern.dwVersion = SCH_CREDENTIALS_VERSION;
  modern.dwFlags = flags;
  SCHANNEL_CRED classic{};
  classic.dwVersion = SCHANNEL_CRED_VERSION;
  classic.dwFlags = flags;
  SECURITY_STATUS status = SEC_E_INTERNAL_ERROR;
  for (void *settings : {static_cast<void *>(&modern), static_cast<void *>(&classic)}) {
    status = AcquireCredentialsHandleA(nullptr, const_cast<char *>(UNISP_NAME_A), SECPKG_CRED_OUTBOUND, nullptr,
                                       settings, nullptr, nullptr, &credentials_, nullptr);
    if (status == SEC_E_OK)
      break;
  }
  if (status != SEC_E_OK) {
    problem = "this computer offers no TLS (" + Hex32(static_cast<unsigned long>(status)) + ")";
    return false;
  }
  haveCredentials_ = true;
  if (!Negotiate(deadline, problem))
    return false;
  if (QueryContextAttributesA(&context_, SECPKG_ATTR_STREAM_SIZES, &sizes_) != SEC_E_OK) {
    problem = "the TLS connection to the profile server has no usable record sizes";
    return false;
  }
  return CheckCertificate(serverName, pin, problem);
}

bool TTlsChannel::Negotiate(DWORD deadline, std::string &problem) {
  // The first call starts the handshake; later ones (also after it, for the
  // server's post-handshake messages) take whatever arrived, even nothing.
  bool needInput = false;
  for (;;) {
    if (needInput) {
      int got = ReadMore(deadline);
      if (got <= 0) {
        problem = got == kTimedOut ? "the profile server did not finish the TLS handshake in time"
                                   : "the profile server ended the TLS handshake (it may not speak TLS, "
                                     "or no TLS version is common to it and this computer)";
        return false;
      }
    }
    SecBuffer in[2] = {{static_cast<unsigned long>(incoming_.size()), SECBUFFER_TOKEN, incoming_.data()},
                       {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc inDesc{SECBUFFER_VERSION, 2, in};
    SecBuffer out[1] = {{0, SECBUFFER_TOKEN, nullptr}};
    SecBufferDesc outDesc{SECBUFFER_VERSION, 1, out};
    unsigned long granted = 0;
    std::string target = serverName_;
    SECURITY_STATUS status = InitializeSecurityContextA(
        &credentials_, haveContext_ ? &context_ : nullptr, target.data(), kContextFlags, 0, 0,
        haveContext_ ? &inDesc : nullptr, 0, &context_, &outDesc,
        &granted, nullptr);
    if (status >= 0 || status == SEC_E_INCOMPLETE_MESSAGE)
      haveContext_ = true;
    if (out[0].pvBuffer) {
      bool sent = out[0].cbBuffer == 0 ||
                  SendRaw(static_cast<const char *>(out[0].pvBuffer), out[0].cbBuffer, deadline);
      FreeContextBuffer(out[0].pvBuffer);
      if (!sent) {
        problem = "the connection to the profile server was lost during the TLS handshake";
        return false;
      }
    }
    if (status == SEC_E_INCOMPLETE_MESSAGE) {
      needInput = true;
      continue;
    }
    if (in[1].BufferType == SECBUFFER_EXTRA && in[1].cbBuffer > 0)
      incoming_.erase(0, incoming_.size() - in[1].cbBuffer);
    else
      incoming_.clear();
    if (status == SEC_E_OK)
      return true;
    if (status == SEC_I_CONTINUE_NEEDED) {
      needInput = incoming_.empty();
      continue;
    }
    if (status == SEC_I_INCOMPLETE_CREDENTIALS) {
      problem = "the profile server asks for a client certificate, which this library does not present";
      return false;
    }
    problem = "no TLS connection to the profile server (it may not speak TLS, or no TLS version is common "
              "to it and this computer; SChannel " +
              Hex32(static_cast<unsigned long>(status)) + ")";
    return false;
  }
}

bool TTlsChannel::CheckCertificate(const std::string &serverName, const std::string &pin, std::string &problem) {
  PCCERT_CONTEXT certificate = nullptr;
  if (QueryContextAttributesA(&context_, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &certificate) != SEC_E_OK ||
      !certificate) {
    problem = "the profile server presented no certificate";
    return false;
  }
  bool trusted = false;
  if (!pin.empty()) {
    const std::string digest = Sha256Hex(certificate->pbCertEncoded, certificate->cbCertEncoded);
    trusted = digest == pin;
    if (!trusted)
      problem = "the profile server's certificate is not the pinned one (its SHA-256 fingerprint is " +
                FingerprintText(digest) + ")";
  } else {
    CERT_CHAIN_PARA chainPara{};
    chainPara.cbSize = sizeof chainPara;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    if (!CertGetCertificateChain(nullptr, certificate, nullptr, certificate->hCertStore, &chainPara, 0, nullptr,
                                 &chain)) {
      problem = "the profile server's certificate cannot be checked (" + Hex32(GetLastError()) + ")";
    } else {
      std::wstring name = Wide(serverName);
      SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
      ssl.cbSize = sizeof ssl;
      ssl.dwAuthType = AUTHTYPE_SERVER;
      ssl.pwszServerName = name.data();
      CERT_CHAIN_POLICY_PARA policy{};
      policy.cbSize = sizeof policy;
      policy.pvExtraPolicyPara = &ssl;
      CERT_CHAIN_POLICY_STATUS verdict{};
      verdict.cbSize = sizeof verdict;
      if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &verdict))
        verdict.dwError = GetLastError();
      trusted = verdict.dwError == 0;
      if (!trusted)
        problem = "the profile server's certificate " + ChainProblem(verdict.dwError) +
                  " (pin its SHA-256 fingerprint to accept a certificate of your own)";
      CertFreeCertificateChain(chain);
    }
  }
  CertFreeCertificateContext(certificate);
  return trusted;
}

bool TTlsChannel::Send(const std::string &bytes, DWORD deadline) {
  std::vector<char> record;
  for (size_t done = 0; done < bytes.size();) {
    const size_t part = std::min<size_t>(bytes.size() - done, sizes_.cbMaximumMessage);
    record.assign(sizes_.cbHeader + part + sizes_.cbTrailer, 0);
    std::copy(bytes.data() + done, bytes.data() + done + part, record.data() + sizes_.cbHeader);
    SecBuffer buffers[4] = {
        {sizes_.cbHeader, SECBUFFER_STREAM_HEADER, record.data()},
        {static_cast<unsigned long>(part), SECBUFFER_DATA, record.data() + sizes_.cbHeader},
        {sizes_.cbTrailer, SECBUFFER_STREAM_TRAILER, record.data() + sizes_.cbHeader + part},
        {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc desc{SECBUFFER_VERSION, 4, buffers};
    if (EncryptMessage(&context_, 0, &desc, 0) != SEC_E_OK)
      return false;
    if (!SendRaw(record.data(), buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer, deadline))
      return false;
    done += part;
  }
  return true;
}

int TTlsChannel::Receive(std::string &out, DWORD deadline) {
  const size_t before = out.size();
  for (;;) {
    if (!incoming_.empty()) {
      SecBuffer buffers[4] = {{static_cast<unsigned long>(incoming_.size()), SECBUFFER_DATA, incoming_.data()},
                              {0, SECBUFFER_EMPTY, nullptr},
                              {0, SECBUFFER_EMPTY, nullptr},
                              {0, SECBUFFER_EMPTY, nullptr}};
      SecBufferDesc desc{SECBUFFER_VERSION, 4, buffers};
      SECURITY_STATUS status = DecryptMessage(&context_, &desc, 0, nullptr);
      if (status == SEC_E_OK || status == SEC_I_RENEGOTIATE || status == SEC_I_CONTEXT_EXPIRED) {
        std::string extra;
        for (const SecBuffer &buffer : buffers) {
          if (buffer.BufferType == SECBUFFER_DATA && buffer.cbBuffer > 0)
            out.append(static_cast<const char *>(buffer.pvBuffer), buffer.cbBuffer);
          else if (buffer.BufferType == SECBUFFER_EXTRA && buffer.cbBuffer > 0)
            extra.assign(static_cast<const char *>(buffer.pvBuffer), buffer.cbBuffer);
        }
        incoming_ = extra;
        if (status == SEC_I_CONTEXT_EXPIRED) // the server's close_notify
          return out.size() > before ? static_cast<int>(out.size() - before) : kClosed;
        if (status == SEC_I_RENEGOTIATE) {
          // Messages after the handshake (TLS 1.3 session tickets, key
          // updates) go back through the handshake call.
          std::string ignored;
          if (!Negotiate(deadline, ignored))
            return kFailed;
        }
        if (out.size() > before)
          return static_cast<int>(out.size() - before);
        continue;
      }
      if (status != SEC_E_INCOMPLETE_MESSAGE)
        return kFailed;
    }
    int got = ReadMore(deadline);
    if (got <= 0)
      return got;
  }
}
