#include "identity/signed_url.h"

#include <chrono>
#include <cinttypes>
#include <cstdio>

#include "common/string_list.h"
#include "identity/md5.h"

namespace {

// Sent as the uuid parameter and mixed into the key digest.
constexpr char kAppSecret[] = "6B1F0C93D2A84E57B0C4F19E3A7D2C58";

String8 Item(const char* key, const String8& value) {
  String8 item(key);
  item.Append("=").Append(value).Append("&");
  return item;
}

String8 Md5Text(const String8& text) {
  char digest[33];
  Md5Hex(text.CStr(), text.Length(), digest);
  return String8(digest);
}

}  // namespace

String8 SigningKeyDigest(const String8& timestamp) {
  String8 material("pc");
  material.Append(timestamp).Append(kAppSecret);
  return Md5Text(material);
}

String8 ComposeSignedUrl(const char* host, const char* path, const String8& timestamp,
                         const RequestIdentityValues& values, bool sign) {
  String8List items;
  items.Append(Item("app", "pc"));
  items.Append(Item("br", ""));
  items.Append(Item("build", "113005"));
  items.Append(Item("client", "pc"));
  items.Append(Item("cv", "1.13.5"));
  items.Append(Item("ip", values.ip));
  items.Append(Item("model", values.osName));
  items.Append(Item("os", "windows"));
  items.Append(Item("ov", values.osName));
  items.Append(Item("sc", values.screenSize));
  items.Append(Item("suid", ""));
  items.Append(Item("tid", values.runId));
  items.Append(Item("tm", timestamp));
  items.Append(Item("uid", ""));
  items.Append(Item("uuid", kAppSecret));
  items.Sort();

  String8 query;
  for (size_t i = 0; i < items.Count(); ++i) query.Append(items[i]);
  if (String8EndsWith(query, "&")) query.Truncate(query.Length() - 1);

  if (sign) {
    String8 signed_text = SigningKeyDigest(timestamp);
    signed_text.Append(path).Append(query);
    query.Append("&sign=").Append(Md5Text(signed_text));
  }

  String8 url("https://");
  url.Append(host).Append(path).Append("?").Append(query);
  return url;
}

String8 MakeTimestamp() {
  const auto since_epoch = std::chrono::system_clock::now().time_since_epoch();
  const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(since_epoch);
  char text[24];
  std::snprintf(text, sizeof text, "%" PRIu64, static_cast<uint64_t>(milliseconds.count()));
  return String8(text);
}
