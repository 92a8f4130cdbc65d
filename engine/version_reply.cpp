#include "engine/version_reply.h"

#include <string>

#include "common/json_reading.h"
#include "common/text_convert.h"

namespace {

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
    status->code = JsonInteger32(code);
  }
  ReadText(root, "message", &status->message);
}

}  // namespace

void ReadVersionReply(const char* body, ReleaseInfo* release, QueryStatus* status) {
  const JsonTree root = ParseJsonObject(body);
  if (!root) return;
  const cJSON* data = cJSON_GetObjectItem(root.get(), "data");
  if (cJSON_IsObject(data)) ReadRelease(data, release);
  if (status != nullptr) ReadStatus(root.get(), status);
}
