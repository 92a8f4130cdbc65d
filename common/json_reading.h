#pragma once
// Reading the JSON replies of the services: the object within a reply, its owner, and values
// read the way every reply of this program is read.
#include <cstdint>
#include <memory>
#include <string>

#include <cjson/cJSON.h>

struct JsonTreeDeleter {
  void operator()(cJSON* root) const { cJSON_Delete(root); }
};
using JsonTree = std::unique_ptr<cJSON, JsonTreeDeleter>;

// The text from the first "{" through the last "}", so that a byte-order mark, HTTP headers or
// trailing text around the object do not matter; empty when there is no such pair.
std::string JsonObjectText(const std::string& reply);

// Parses JsonObjectText(reply); null when there is no object or it does not parse.
JsonTree ParseJsonObject(const std::string& reply);

// A value read as a signed 64-bit integer: a number truncated towards zero and clamped to the
// 64-bit range, true as 1, anything else (or no value) as 0. The library's own integer field
// may be 32 bits wide, so the value comes from the double.
int64_t JsonInteger(const cJSON* item);

// The low 32 bits of JsonInteger, as the services' 32-bit fields are read.
int32_t JsonInteger32(const cJSON* item);
