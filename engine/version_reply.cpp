#include "engine/version_reply.h"

#include <cjson/cJSON.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>

#include "common/text_convert.h"

namespace {

struct JsonTreeDeleter {
  void operator()(cJSON* root) const { cJSON_Delete(root); }
};
using JsonTree = std::unique_ptr<cJSON, JsonTreeDeleter>;

// The text from the first "{" through the last "}"; empty when either is missing.
std::string BracedPart(const char* body) {
  const std::string text(body);
  const size_t open = text.find('{');
  const size_t close = text.rfind('}');
  if (open == std::string::npos || close == std::string::npos || close < open) return std::string();
  return text.substr(open, close - open + 1);
}

void ReadText(const cJSON* object, const char* key, String16* field) {
  const cJSON* item = cJSON_GetObjectItem(object, key);
  if (item == nullptr) return;
  // A value of another type is still "present": it clears the field.
  *field = cJSON_IsString(item) && item->valuestring != nullptr ? Utf8ToString16(item->valuestring)
                                                                : String16();
}

void ReadInteger(const cJSON* object, const char* key, int64_t* field) {
  const cJSON* item = cJSON_GetObjectItem(object, key);
  if (item != nullptr) *field = JsonInteger(item);
}

void ReadRelease(const cJSON* data, ReleaseInfo* release) {
  if (const cJSON* laster = cJSON_GetObjectItem(data, "laster")) {
    release->latest = JsonInteger(laster) != 0;
  }
  ReadText(data, "version_no", &release->versionNo);
  ReadText(data, "info", &release->info);
  ReadText(data, "publish_time", &release->publishTime);
  ReadInteger(data, "size", &release->size);
  ReadText(data, "url", &release->url);
  ReadText(data, "encrypt_file", &release->encryptFile);
  ReadInteger(data, "strategy", &release->strategy);
  ReadText(data, "version_code", &release->versionCode);
}

void ReadStatus(const cJSON* root, QueryStatus* status) {
  if (const cJSON* code = cJSON_GetObjectItem(root, "result_code")) {
    status->code = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(JsonInteger(code))));
  }
  ReadText(root, "message", &status->message);
}

}  // namespace

int64_t JsonInteger(const cJSON* item) {
  if (item == nullptr) return 0;
  if (cJSON_IsTrue(item)) return 1;
  if (!cJSON_IsNumber(item)) return 0;
  // The library's own integer field may be 32 bits wide; the double carries the whole value.
  const double value = item->valuedouble;
  if (std::isnan(value)) return 0;
  constexpr double kTwoTo63 = 9223372036854775808.0;
  if (value >= kTwoTo63) return std::numeric_limits<int64_t>::max();
  if (value <= -kTwoTo63) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(value);  // truncates towards zero
}

void ReadVersionReply(const char* body, ReleaseInfo* release, QueryStatus* status) {
  const std::string json = BracedPart(body);
  JsonTree root(cJSON_Parse(json.c_str()));
  if (!root) return;
  const cJSON* data = cJSON_GetObjectItem(root.get(), "data");
  if (cJSON_IsObject(data)) ReadRelease(data, release);
  if (status != nullptr) ReadStatus(root.get(), status);
}
