#include <new>
#include <set>

#include "dbg/dbg.h"
#include "ssl/ssl.h"
#include "sslimp.h"
#include "sslmixer.h"

DBG_SOURCE("sslboot");

namespace {
std::set<SSL*> fOpenSSLs;
}  // namespace

SSL::~SSL() = default;

SSL* openSSL(int implementation) {
  DBG_ASSERT_TEXT(
      (implementation == DIRECT_AUDIO_IMPLEMENTATION) || (implementation == RECORDING_IMPLEMENTATION),
      "\"Valid implementation.\" && (implementation == DIRECT_AUDIO_IMPLEMENTATION)");
  std::unique_ptr<SSLBackEnd> backEnd =
      implementation == DIRECT_AUDIO_IMPLEMENTATION ? openMixerBackEnd() : openRecordingBackEnd();
  SSLImp* sSLImp = new (std::nothrow) SSLImp(std::move(backEnd));
  DBG_ASSERT("SSLImp created successfully." && sSLImp);
  fOpenSSLs.insert(sSLImp);
  return sSLImp;
}

void closeSSL(SSL* ssl) {
  DBG_ASSERT("Valid SSL." && ssl);
  DBG_ASSERT("Open SSL." && (fOpenSSLs.find(ssl) != fOpenSSLs.end()));
  fOpenSSLs.erase(ssl);
  delete ssl;
}
