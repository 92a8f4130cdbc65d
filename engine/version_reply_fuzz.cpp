// The version service's reply, as the WinHTTP client hands it over: any bytes, read as a
// zero-terminated text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/testing/fuzz_check.h"
#include "engine/version_reply.h"

namespace {

bool SameText(const String16& a, const String16& b) { return a.Compare(b.CStr()) == 0 && a.Length() == b.Length(); }

bool SameRelease(const ReleaseInfo& a, const ReleaseInfo& b) {
  return a.latest == b.latest && SameText(a.versionNo, b.versionNo) && SameText(a.info, b.info) &&
         SameText(a.publishTime, b.publishTime) && a.size == b.size && SameText(a.url, b.url) &&
         SameText(a.encryptFile, b.encryptFile) && a.strategy == b.strategy && SameText(a.versionCode, b.versionCode);
}

// Fields that a reply which does not mention them must leave as they are.
ReleaseInfo KnownRelease() {
  ReleaseInfo release;
  release.latest = true;
  release.versionNo = U16("1.0");
  release.info = U16("info");
  release.publishTime = U16("then");
  release.size = 42;
  release.url = U16("https://before/p.zip");
  release.encryptFile = U16("e");
  release.strategy = -7;
  release.versionCode = U16("100");
  return release;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string body(reinterpret_cast<const char*>(data), size);

  ReleaseInfo with_status = KnownRelease();
  QueryStatus status;
  status.code = 99;
  status.message = U16("before");
  ReadVersionReply(body.c_str(), &with_status, &status);

  ReleaseInfo without_status = KnownRelease();
  ReadVersionReply(body.c_str(), &without_status, nullptr);
  FuzzCheck(SameRelease(with_status, without_status), "the release is read the same with or without a status");

  // The object lies between the first "{" and the last "}" of the text up to its terminator.
  const std::string text = body.c_str();
  const size_t open = text.find('{');
  if (open == std::string::npos || text.rfind('}') == std::string::npos || text.rfind('}') < open) {
    FuzzCheck(SameRelease(with_status, KnownRelease()), "a reply without an object changes no field");
    FuzzCheck(status.code == 99 && status.message == U16("before"), "a reply without an object changes no status");
  }
  return 0;
}
