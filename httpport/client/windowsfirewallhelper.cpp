#include "httpport/client/windowsfirewallhelper.h"

#include "common/scoped_com.h"
#include "common/scoped_handle.h"

namespace {

ComPtr<INetFwRules> OpenRuleCollection() {
  ComPtr<INetFwPolicy2> policy;
  ComPtr<INetFwRules> rules;
  if (FAILED(CoCreateInstance(__uuidof(NetFwPolicy2), nullptr, CLSCTX_INPROC_SERVER,
                              IID_PPV_ARGS(&policy))) ||
      FAILED(policy->get_Rules(&rules))) {
    return nullptr;
  }
  return rules;
}

bool RuleExists(INetFwRules* rules, BSTR name) {
  ComPtr<INetFwRule> rule;
  return SUCCEEDED(rules->Item(name, &rule)) && rule != nullptr;
}

// True when no rule of that name is left.
bool RemoveAllNamed(INetFwRules* rules, BSTR name) {
  while (RuleExists(rules, name)) {
    LONG before = 0;
    LONG after = 0;
    if (FAILED(rules->get_Count(&before)) || FAILED(rules->Remove(name)) ||
        FAILED(rules->get_Count(&after)) || after >= before) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool RemoveRulesFromCollection(INetFwRules* rules, const wchar_t* const* names, int count) {
  bool all_gone = true;
  for (int i = 0; i < count; ++i) {
    const ScopedBstr name(SysAllocString(names[i]));
    if (!name || !RemoveAllNamed(rules, name.Get())) all_gone = false;
  }
  return all_gone;
}

bool AddRuleToCollection(INetFwRules* rules, INetFwRule* rule, const wchar_t* name,
                         const wchar_t* program_path, bool inbound) {
  const ScopedBstr rule_name(SysAllocString(name));
  const ScopedBstr application(SysAllocString(program_path));
  if (!rule_name || !application) return false;
  if (RuleExists(rules, rule_name.Get())) rules->Remove(rule_name.Get());
  if (FAILED(rule->put_Name(rule_name.Get())) ||
      FAILED(rule->put_ApplicationName(application.Get())) ||
      FAILED(rule->put_Action(NET_FW_ACTION_ALLOW)) || FAILED(rule->put_Enabled(VARIANT_TRUE)) ||
      FAILED(rule->put_Direction(inbound ? NET_FW_RULE_DIR_IN : NET_FW_RULE_DIR_OUT))) {
    return false;
  }
  return SUCCEEDED(rules->Add(rule));
}

bool RemoveFirewallRules(const wchar_t* const* names, int count) {
  const ScopedComApartment com;
  if (!com.Usable()) return false;
  const ComPtr<INetFwRules> rules = OpenRuleCollection();
  return rules != nullptr && RemoveRulesFromCollection(rules.Get(), names, count);
}

void AddFirewallRule(const wchar_t* name, const wchar_t* program_path, bool inbound) {
  const ScopedComApartment com;
  if (!com.Usable()) return;
  const ComPtr<INetFwRules> rules = OpenRuleCollection();
  ComPtr<INetFwRule> rule;
  if (rules == nullptr || FAILED(CoCreateInstance(__uuidof(NetFwRule), nullptr, CLSCTX_INPROC_SERVER,
                                                  IID_PPV_ARGS(&rule)))) {
    return;
  }
  AddRuleToCollection(rules.Get(), rule.Get(), name, program_path, inbound);
}
