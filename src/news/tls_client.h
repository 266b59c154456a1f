// TLS for the news fetch, through the system's Schannel over a connection of the program's own,
// so that an https fetch keeps every bound of a plain one: its waits are the connection's (the
// deadline and the cancel event), it asks for no more than it reads on, and the connection can
// be reset once the program has what it wants.
#pragma once

#define SECURITY_WIN32
#include <windows.h>
// clang-format off
#include <security.h>
#include <schannel.h>
// clang-format on

#include <cstddef>
#include <string>

namespace lum {

// What an HTTP exchange reads and writes through: a socket, or TLS over one.
class ByteStream {
 public:
  virtual ~ByteStream() = default;
  virtual bool SendAll(const std::string& bytes) = 0;
  // Up to `size` bytes: how many came, 0 when the other side has ended, -1 on an error, at the
  // deadline or when cancelled.
  virtual int Receive(char* buffer, size_t size) = 0;
};

class TlsClient : public ByteStream {
 public:
  explicit TlsClient(ByteStream& wire) : wire_(wire) {}
  ~TlsClient() override;
  TlsClient(const TlsClient&) = delete;
  TlsClient& operator=(const TlsClient&) = delete;

  // The handshake (TLS 1.2), and the server's certificate checked for `host` against the
  // system's trusted roots. False for any failure: an untrusted or misnamed certificate is one.
  bool Handshake(const std::string& host);
  bool SendAll(const std::string& bytes) override;
  int Receive(char* buffer, size_t size) override;

 private:
  bool ReadMore(size_t atMost);
  bool SendToken(SecBuffer& token);
  bool CertificateTrusted(const std::wstring& host);

  ByteStream& wire_;
  CredHandle credentials_{};
  CtxtHandle context_{};
  bool haveCredentials_ = false, haveContext_ = false, ended_ = false;
  SecPkgContext_StreamSizes sizes_{};
  std::string incoming_;  // received and not yet decrypted
  std::string plain_;     // decrypted and not yet handed out
};

}  // namespace lum
