#include "news/tls_client.h"

#include <wincrypt.h>

#include <algorithm>

namespace lum {

namespace {

constexpr DWORD kContextFlags = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                                ISC_REQ_EXTENDED_ERROR | ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM |
                                // A server that asks for a client certificate gets an empty one at once.
                                ISC_REQ_USE_SUPPLIED_CREDS;
// The server's part of a handshake (its hello and certificates) is a few KiB; more is no server
// this program wants.
constexpr size_t kLongestHandshake = 64 * 1024;
constexpr size_t kPiece = 4096;

}  // namespace

TlsClient::~TlsClient() {
  if (haveContext_) DeleteSecurityContext(&context_);
  if (haveCredentials_) FreeCredentialsHandle(&credentials_);
}

bool TlsClient::ReadMore(size_t atMost) {
  char buffer[kPiece];
  const int got = wire_.Receive(buffer, std::min(sizeof buffer, std::max<size_t>(atMost, 1)));
  if (got <= 0) return false;
  incoming_.append(buffer, static_cast<size_t>(got));
  return true;
}

bool TlsClient::SendToken(SecBuffer& token) {
  bool sent = true;
  if (token.pvBuffer && token.cbBuffer)
    sent = wire_.SendAll(std::string(static_cast<const char*>(token.pvBuffer), token.cbBuffer));
  if (token.pvBuffer) FreeContextBuffer(token.pvBuffer);
  token.pvBuffer = nullptr;
  return sent;
}

bool TlsClient::Handshake(const std::string& host) {
  SCHANNEL_CRED wanted{};
  wanted.dwVersion = SCHANNEL_CRED_VERSION;
  // TLS 1.2, which every news server speaks; 1.3's tickets after the handshake would need a
  // second context call in the middle of the body.
  wanted.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT;
  // The certificate is checked below, by the same calls on Windows and under Wine.
  wanted.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
  TimeStamp expiry;
  wchar_t package[] = UNISP_NAME_W;
  if (AcquireCredentialsHandleW(nullptr, package, SECPKG_CRED_OUTBOUND, nullptr, &wanted, nullptr, nullptr,
                                &credentials_, &expiry) != SEC_E_OK)
    return false;
  haveCredentials_ = true;
  std::wstring name(host.begin(), host.end());  // an address's host is ASCII

  for (bool first = true;; first = false) {
    SecBuffer in[2] = {{static_cast<ULONG>(incoming_.size()), SECBUFFER_TOKEN, incoming_.data()},
                       {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc input{SECBUFFER_VERSION, 2, in};
    SecBuffer token{0, SECBUFFER_TOKEN, nullptr};
    SecBufferDesc output{SECBUFFER_VERSION, 1, &token};
    ULONG attributes = 0;
    const SECURITY_STATUS status =
        InitializeSecurityContextW(&credentials_, first ? nullptr : &context_, name.data(), kContextFlags, 0, 0,
                                   first ? nullptr : &input, 0, &context_, &output, &attributes, &expiry);
    if (first && !FAILED(status)) haveContext_ = true;
    if (status == SEC_E_INCOMPLETE_MESSAGE) {
      if (token.pvBuffer) FreeContextBuffer(token.pvBuffer);
      if (incoming_.size() >= kLongestHandshake || !ReadMore(kPiece)) return false;
      continue;
    }
    // A failure's alert goes to the server too, as any client would send it.
    if (!SendToken(token) || FAILED(status)) return false;
    // What this call did not take is the start of the next message.
    if (!first && in[1].BufferType == SECBUFFER_EXTRA)
      incoming_.erase(0, incoming_.size() - in[1].cbBuffer);
    else
      incoming_.clear();
    if (status == SEC_E_OK) break;
    if (status != SEC_I_CONTINUE_NEEDED) return false;  // a client certificate asked for, and the like
    if (incoming_.empty() && !ReadMore(kPiece)) return false;
  }
  return CertificateTrusted(name) &&
         QueryContextAttributesW(&context_, SECPKG_ATTR_STREAM_SIZES, &sizes_) == SEC_E_OK &&
         sizes_.cbMaximumMessage > 0;
}

bool TlsClient::CertificateTrusted(const std::wstring& host) {
  PCCERT_CONTEXT certificate = nullptr;
  if (QueryContextAttributesW(&context_, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &certificate) != SEC_E_OK || !certificate)
    return false;
  char serverAuth[] = szOID_PKIX_KP_SERVER_AUTH;
  LPSTR usages[] = {serverAuth};
  CERT_CHAIN_PARA chainPara{};
  chainPara.cbSize = sizeof chainPara;
  chainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
  chainPara.RequestedUsage.Usage.cUsageIdentifier = 1;
  chainPara.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
  PCCERT_CHAIN_CONTEXT chain = nullptr;
  bool trusted = false;
  // Built from what the server sent and what the system holds: fetching a missing intermediate
  // certificate would be a wait outside the fetch's deadline. Revocation is not asked either.
  if (CertGetCertificateChain(nullptr, certificate, nullptr, certificate->hCertStore, &chainPara,
                              CERT_CHAIN_CACHE_ONLY_URL_RETRIEVAL, nullptr, &chain)) {
    std::wstring server = host;
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
    ssl.cbSize = sizeof ssl;
    ssl.dwAuthType = AUTHTYPE_SERVER;
    ssl.pwszServerName = server.data();
    CERT_CHAIN_POLICY_PARA policy{};
    policy.cbSize = sizeof policy;
    policy.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS status{};
    status.cbSize = sizeof status;
    trusted = CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &status) && status.dwError == 0;
    CertFreeCertificateChain(chain);
  }
  CertFreeCertificateContext(certificate);
  return trusted;
}

bool TlsClient::SendAll(const std::string& bytes) {
  for (size_t at = 0; at < bytes.size();) {
    const size_t length = std::min<size_t>(bytes.size() - at, sizes_.cbMaximumMessage);
    std::string record(sizes_.cbHeader + length + sizes_.cbTrailer, '\0');
    char* header = record.data();
    std::copy_n(bytes.data() + at, length, header + sizes_.cbHeader);
    SecBuffer buffers[4] = {{sizes_.cbHeader, SECBUFFER_STREAM_HEADER, header},
                            {static_cast<ULONG>(length), SECBUFFER_DATA, header + sizes_.cbHeader},
                            {sizes_.cbTrailer, SECBUFFER_STREAM_TRAILER, header + sizes_.cbHeader + length},
                            {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc message{SECBUFFER_VERSION, 4, buffers};
    if (EncryptMessage(&context_, 0, &message, 0) != SEC_E_OK) return false;
    record.resize(buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer);
    if (!wire_.SendAll(record)) return false;
    at += length;
  }
  return true;
}

int TlsClient::Receive(char* buffer, size_t size) {
  // One record is decrypted at a time, and the next is read only once this one is handed out:
  // what is received stays within the record that holds the last byte wanted.
  while (plain_.empty()) {
    if (ended_) return 0;
    size_t missing = kPiece;
    if (!incoming_.empty()) {
      SecBuffer buffers[4] = {{static_cast<ULONG>(incoming_.size()), SECBUFFER_DATA, incoming_.data()},
                              {0, SECBUFFER_EMPTY, nullptr},
                              {0, SECBUFFER_EMPTY, nullptr},
                              {0, SECBUFFER_EMPTY, nullptr}};
      SecBufferDesc message{SECBUFFER_VERSION, 4, buffers};
      const SECURITY_STATUS status = DecryptMessage(&context_, &message, 0, nullptr);
      if (status == SEC_E_OK) {
        std::string extra;
        for (const SecBuffer& part : buffers) {
          if (part.BufferType == SECBUFFER_DATA) plain_.append(static_cast<const char*>(part.pvBuffer), part.cbBuffer);
          if (part.BufferType == SECBUFFER_EXTRA) extra.assign(static_cast<const char*>(part.pvBuffer), part.cbBuffer);
        }
        incoming_ = std::move(extra);
        continue;
      }
      if (status == SEC_I_CONTEXT_EXPIRED) {  // the server's close_notify
        ended_ = true;
        return 0;
      }
      // A renegotiation is refused like any broken record: no news rather than a second handshake.
      if (status != SEC_E_INCOMPLETE_MESSAGE) return -1;
      for (const SecBuffer& part : buffers)
        if (part.BufferType == SECBUFFER_MISSING && part.cbBuffer > 0) missing = part.cbBuffer;
      if (incoming_.size() > sizes_.cbHeader + sizes_.cbMaximumMessage + sizes_.cbTrailer) return -1;
    }
    char piece[kPiece];
    const int got = wire_.Receive(piece, std::min(sizeof piece, missing));
    // A connection ended inside a record was cut off, not ended.
    if (got == 0 && !incoming_.empty()) return -1;
    if (got <= 0) return got;
    incoming_.append(piece, static_cast<size_t>(got));
  }
  const size_t given = std::min(size, plain_.size());
  std::copy_n(plain_.data(), given, buffer);
  plain_.erase(0, given);
  return static_cast<int>(given);
}

}  // namespace lum
