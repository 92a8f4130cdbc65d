#include "common/json_reading.h"

#include <cmath>
#include <limits>

std::string JsonObjectText(const std::string& reply) {
  const size_t open = reply.find('{');
  const size_t close = reply.rfind('}');
  if (open == std::string::npos || close == std::string::npos || close < open) return std::string();
  return reply.substr(open, close - open + 1);
}

JsonTree ParseJsonObject(const std::string& reply) {
  return JsonTree(cJSON_Parse(JsonObjectText(reply).c_str()));
}

int64_t JsonInteger(const cJSON* item) {
  if (item == nullptr) return 0;
  if (cJSON_IsTrue(item)) return 1;
  if (!cJSON_IsNumber(item)) return 0;
  const double value = item->valuedouble;
  if (std::isnan(value)) return 0;
  constexpr double kTwoTo63 = 9223372036854775808.0;
  if (value >= kTwoTo63) return std::numeric_limits<int64_t>::max();
  if (value <= -kTwoTo63) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(value);  // truncates towards zero
}

int32_t JsonInteger32(const cJSON* item) {
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(JsonInteger(item))));
}
