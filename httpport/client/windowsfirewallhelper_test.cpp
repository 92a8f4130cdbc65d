#include "httpport/client/windowsfirewallhelper.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "common/scoped_com.h"
#include "common/system_failure.h"
#include "common/testing/setup_log_reading.h"

namespace {

// A rule that keeps what the helper sets on it and refuses everything else.
class FakeRule : public INetFwRule {
 public:
  explicit FakeRule(const wchar_t* name = L"") : name_(name) {}

  std::wstring name_;
  std::wstring application_;
  NET_FW_RULE_DIRECTION direction_ = NET_FW_RULE_DIR_MAX;
  NET_FW_ACTION action_ = NET_FW_ACTION_MAX;
  VARIANT_BOOL enabled_ = VARIANT_FALSE;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(INetFwRule)) {
      *out = static_cast<INetFwRule*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  HRESULT STDMETHODCALLTYPE get_Name(BSTR* value) override {
    *value = SysAllocString(name_.c_str());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_Name(BSTR value) override {
    name_ = value;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_ApplicationName(BSTR* value) override {
    *value = SysAllocString(application_.c_str());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_ApplicationName(BSTR value) override {
    application_ = value;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Direction(NET_FW_RULE_DIRECTION* value) override {
    *value = direction_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_Direction(NET_FW_RULE_DIRECTION value) override {
    direction_ = value;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* value) override {
    *value = enabled_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL value) override {
    enabled_ = value;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Action(NET_FW_ACTION* value) override {
    *value = action_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_Action(NET_FW_ACTION value) override {
    action_ = value;
    return S_OK;
  }

#define REFUSED_PROPERTY(Name, Type)                                                   \
  HRESULT STDMETHODCALLTYPE get_##Name(Type*) override { return E_NOTIMPL; }           \
  HRESULT STDMETHODCALLTYPE put_##Name(Type) override { return E_NOTIMPL; }
  REFUSED_PROPERTY(Description, BSTR)
  REFUSED_PROPERTY(ServiceName, BSTR)
  REFUSED_PROPERTY(Protocol, LONG)
  REFUSED_PROPERTY(LocalPorts, BSTR)
  REFUSED_PROPERTY(RemotePorts, BSTR)
  REFUSED_PROPERTY(LocalAddresses, BSTR)
  REFUSED_PROPERTY(RemoteAddresses, BSTR)
  REFUSED_PROPERTY(IcmpTypesAndCodes, BSTR)
  REFUSED_PROPERTY(Interfaces, VARIANT)
  REFUSED_PROPERTY(InterfaceTypes, BSTR)
  REFUSED_PROPERTY(Grouping, BSTR)
  REFUSED_PROPERTY(Profiles, LONG)
  REFUSED_PROPERTY(EdgeTraversal, VARIANT_BOOL)
#undef REFUSED_PROPERTY

 private:
  ~FakeRule() = default;
  ULONG references_ = 1;
};

// A rule collection in memory. Names in `refused` cannot be removed (Remove fails); names in
// `stuck` report a removal but the rule stays.
class FakeRules : public INetFwRules {
 public:
  std::vector<ComPtr<INetFwRule>> rules_;
  std::set<std::wstring> refused_;
  std::set<std::wstring> stuck_;
  int remove_calls_ = 0;

  void Seed(const wchar_t* name) {
    ComPtr<INetFwRule> rule;
    rule.Attach(new FakeRule(name));
    rules_.push_back(rule);
  }
  int CountNamed(const std::wstring& name) const {
    int n = 0;
    for (const auto& rule : rules_) n += NameOf(rule.Get()) == name;
    return n;
  }
  static std::wstring NameOf(INetFwRule* rule) { return static_cast<FakeRule*>(rule)->name_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  // Lives on the test's stack.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override {
    *count = static_cast<LONG>(rules_.size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Add(INetFwRule* rule) override {
    rules_.push_back(rule);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Remove(BSTR name) override {
    ++remove_calls_;
    if (refused_.count(name)) return E_ACCESSDENIED;
    if (stuck_.count(name)) return S_OK;
    for (auto it = rules_.begin(); it != rules_.end(); ++it) {
      if (NameOf(it->Get()) == name) {
        rules_.erase(it);
        break;
      }
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Item(BSTR name, INetFwRule** rule) override {
    for (const auto& candidate : rules_) {
      if (NameOf(candidate.Get()) == name) return candidate.CopyTo(rule);
    }
    *rule = nullptr;
    return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
  }
  HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown**) override { return E_NOTIMPL; }
};

const wchar_t* const kOldNames[] = {L"Bokrin阅读", L"Bokrin", L"Bokrin.exe"};

TEST(RemoveRulesFromCollection, RemovesEveryRuleOfEachNameAndKeepsOthers) {
  FakeRules rules;
  for (const wchar_t* name : {L"Bokrin", L"Other", L"Bokrin阅读", L"Bokrin", L"Bokrin.exe", L"Bokrin"}) {
    rules.Seed(name);
  }
  EXPECT_TRUE(RemoveRulesFromCollection(&rules, kOldNames, 3));
  ASSERT_EQ(rules.rules_.size(), 1u);
  EXPECT_EQ(FakeRules::NameOf(rules.rules_[0].Get()), L"Other");
}

TEST(RemoveRulesFromCollection, NoMatchingRuleIsSuccess) {
  FakeRules rules;
  rules.Seed(L"Other");
  EXPECT_TRUE(RemoveRulesFromCollection(&rules, kOldNames, 3));
  EXPECT_EQ(rules.remove_calls_, 0);
  EXPECT_EQ(rules.rules_.size(), 1u);
}

// A rule that will not go must neither hang the loop nor keep the other names from going.
TEST(RemoveRulesFromCollection, GivesUpOnNameThatWillNotGo) {
  struct Case {
    const char* what;
    bool refused;
  };
  for (const Case& c : {Case{"removal fails", true}, Case{"removal claims success", false}}) {
    SCOPED_TRACE(c.what);
    FakeRules rules;
    for (const wchar_t* name : {L"Bokrin阅读", L"Bokrin", L"Bokrin", L"Bokrin.exe"}) rules.Seed(name);
    (c.refused ? rules.refused_ : rules.stuck_).insert(L"Bokrin");

    EXPECT_FALSE(RemoveRulesFromCollection(&rules, kOldNames, 3));
    EXPECT_EQ(rules.CountNamed(L"Bokrin"), 2);
    EXPECT_EQ(rules.CountNamed(L"Bokrin阅读"), 0);
    EXPECT_EQ(rules.CountNamed(L"Bokrin.exe"), 0);
    EXPECT_EQ(rules.remove_calls_, 3);
  }
}

TEST(AddRuleToCollection, AddsEnabledAllowRuleForProgramInEachDirection) {
  const wchar_t kProgram[] = L"C:\\Apps\\Bokrin\\Bokrin.exe";
  FakeRules rules;
  rules.Seed(L"Bokrin-I");
  rules.Seed(L"Other");
  struct Case {
    const wchar_t* name;
    bool inbound;
    NET_FW_RULE_DIRECTION direction;
  };
  // Adding both twice, as a second installation does, leaves one rule of each name.
  const Case cases[] = {{L"Bokrin-I", true, NET_FW_RULE_DIR_IN},
                        {L"Bokrin-O", false, NET_FW_RULE_DIR_OUT},
                        {L"Bokrin-I", true, NET_FW_RULE_DIR_IN},
                        {L"Bokrin-O", false, NET_FW_RULE_DIR_OUT}};
  for (const Case& c : cases) {
    ComPtr<INetFwRule> rule;
    rule.Attach(new FakeRule());
    EXPECT_TRUE(AddRuleToCollection(&rules, rule.Get(), c.name, kProgram, c.inbound));
  }
  ASSERT_EQ(rules.rules_.size(), 3u);
  EXPECT_EQ(rules.CountNamed(L"Other"), 1);
  for (const Case& c : {cases[0], cases[1]}) {
    SCOPED_TRACE(testing::Message() << (c.inbound ? "inbound" : "outbound"));
    ASSERT_EQ(rules.CountNamed(c.name), 1);
    ComPtr<INetFwRule> found;
    ASSERT_EQ(rules.Item(const_cast<BSTR>(c.name), &found), S_OK);
    const FakeRule* rule = static_cast<FakeRule*>(found.Get());
    EXPECT_EQ(rule->application_, kProgram);
    EXPECT_EQ(rule->direction_, c.direction);
    EXPECT_EQ(rule->action_, NET_FW_ACTION_ALLOW);
    EXPECT_EQ(rule->enabled_, VARIANT_TRUE);
  }
}

// A refused call gives up on that rule, so that no second rule of the name is added, and
// leaves a line with its HRESULT in the setup log. The only test here that opens the log.
TEST(FirewallFailures, GiveUpAndAreLoggedWithTheirHresult) {
  const std::wstring log_path = OpenOwnSetupLog(L"windowsfirewallhelper_test");
  FakeRules rules;
  rules.Seed(L"Bokrin-I");
  rules.Seed(L"Bokrin");
  rules.refused_ = {L"Bokrin-I", L"Bokrin"};
  ComPtr<INetFwRule> rule;
  rule.Attach(new FakeRule());
  EXPECT_FALSE(AddRuleToCollection(&rules, rule.Get(), L"Bokrin-I", L"C:\\Apps\\Bokrin\\Bokrin.exe", true));
  EXPECT_FALSE(RemoveRulesFromCollection(&rules, kOldNames, 3));
  EXPECT_EQ(rules.rules_.size(), 2u);

  const std::wstring denied = DescribeSystemCode(SystemCode::Hresult(E_ACCESSDENIED));
  const std::string log = ReadSharedFile(log_path);
  for (const std::wstring& line : {L"Firewall: the earlier rule Bokrin-I cannot be removed, " + denied,
                                   L"Firewall: rule Bokrin cannot be removed, " + denied}) {
    EXPECT_TRUE(HasLineEndingWith(log, line)) << log;
  }
}

}  // namespace
