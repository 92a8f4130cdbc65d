#include "identity/client_identity.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Providers that hand out the scripted answers in turn and count how often they were asked.
class ScriptedProvider {
 public:
  explicit ScriptedProvider(std::vector<std::string> answers) : answers_(std::move(answers)) {}
  ClientIdentity::Provider Get() {
    return [this] { return String8(answers_.at(calls_++).c_str()); };
  }
  size_t calls() const { return calls_; }

 private:
  std::vector<std::string> answers_;
  size_t calls_ = 0;
};

TEST(ClientIdentityTest, RunIdIsMadeOnceAndKeptForTheRun) {
  ScriptedProvider ip({"10.0.0.1"});
  ScriptedProvider guid({"GUID-ONE", "GUID-TWO"});
  ClientIdentity identity(ip.Get(), guid.Get());
  EXPECT_STREQ(identity.RunId().CStr(), "GUID-ONE");
  EXPECT_STREQ(identity.RunId().CStr(), "GUID-ONE");
  EXPECT_EQ(guid.calls(), 1u);

  ClientIdentity next_run(ip.Get(), guid.Get());
  EXPECT_STREQ(next_run.RunId().CStr(), "GUID-TWO");
}

TEST(ClientIdentityTest, FailedLookupsAreRetriedUntilOneSucceeds) {
  ScriptedProvider ip({"", "", "192.168.7.9", "10.9.9.9"});
  ScriptedProvider guid({"", "GUID"});
  ClientIdentity identity(ip.Get(), guid.Get());
  EXPECT_STREQ(identity.LocalIp().CStr(), "");
  EXPECT_STREQ(identity.LocalIp().CStr(), "");
  EXPECT_STREQ(identity.LocalIp().CStr(), "192.168.7.9");
  EXPECT_STREQ(identity.LocalIp().CStr(), "192.168.7.9");
  EXPECT_EQ(ip.calls(), 3u);

  EXPECT_STREQ(identity.RunId().CStr(), "");
  EXPECT_STREQ(identity.RunId().CStr(), "GUID");
  EXPECT_EQ(guid.calls(), 2u);
}

}  // namespace
