#include "httpport/client/windowsfirewallhelper.h"

#include "common/scoped_com.h"
#include "common/scoped_handle.h"
#include "common/setup_log.h"
#include "common/system_failure.h"

namespace {

const wchar_t kWhere[] = L"Firewall";

// A thread that already runs another concurrency model may still use COM.
bool ComUsable(const ScopedComApartment& com, const wchar_t* operation) {
  if (com.Usable()) return true;
  LogSystemFailure(kWhere, SystemCode::Hresult(com.result()), L"COM cannot be initialised to %ls", operation);
  return false;
}

ComPtr<INetFwRules> OpenRuleCollection() {
  ComPtr<INetFwPolicy2> policy;
  ComPtr<INetFwRules> rules;
  if (!ComSucceeded(CoCreateInstance(__uuidof(NetFwPolicy2), nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&policy)),
                    kWhere, L"no firewall policy object") ||
      !ComSucceeded(policy->get_Rules(&rules), kWhere, L"the rule collection cannot be reached")) {
    return nullptr;
  }
  return rules;
}

ScopedBstr CopiedName(const wchar_t* text) {
  ScopedBstr copy(SysAllocString(text));
  if (!copy) LogSystemFailure(kWhere, SystemCode::Hresult(E_OUTOFMEMORY), L"%ls cannot be copied", text);
  return copy;
}

// Asking for a rule that does not exist fails; that is an answer, not a failure.
bool RuleExists(INetFwRules* rules, BSTR name) {
  ComPtr<INetFwRule> rule;
  return SUCCEEDED(rules->Item(name, &rule)) && rule != nullptr;
}

// True when no rule of that name is left.
bool RemoveAllNamed(INetFwRules* rules, BSTR name) {
  while (RuleExists(rules, name)) {
    LONG before = 0;
    LONG after = 0;
    if (!ComSucceeded(rules->get_Count(&before), kWhere, L"the rules cannot be counted before removing %ls", name) ||
        !ComSucceeded(rules->Remove(name), kWhere, L"rule %ls cannot be removed", name) ||
        !ComSucceeded(rules->get_Count(&after), kWhere, L"the rules cannot be counted after removing %ls", name)) {
      return false;
    }
    if (after >= before) {
      SetupLog(L"Firewall: rule %ls is still there after its removal; given up", name);
      return false;
    }
  }
  return true;
}

}  // namespace

bool RemoveRulesFromCollection(INetFwRules* rules, const wchar_t* const* names, int count) {
  bool all_gone = true;
  for (int i = 0; i < count; ++i) {
    const ScopedBstr name = CopiedName(names[i]);
    if (!name || !RemoveAllNamed(rules, name.Get())) all_gone = false;
  }
  return all_gone;
}

bool AddRuleToCollection(INetFwRules* rules, INetFwRule* rule, const wchar_t* name,
                         const wchar_t* program_path, bool inbound) {
  const ScopedBstr rule_name = CopiedName(name);
  const ScopedBstr application = CopiedName(program_path);
  if (!rule_name || !application) return false;
  // An earlier rule that stays would leave two of the same name.
  if (RuleExists(rules, rule_name.Get()) &&
      !ComSucceeded(rules->Remove(rule_name.Get()), kWhere, L"the earlier rule %ls cannot be removed", name)) {
    return false;
  }
  if (!ComSucceeded(rule->put_Name(rule_name.Get()), kWhere, L"rule %ls: name not taken", name) ||
      !ComSucceeded(rule->put_ApplicationName(application.Get()), kWhere, L"rule %ls: program %ls not taken", name,
                    program_path) ||
      !ComSucceeded(rule->put_Action(NET_FW_ACTION_ALLOW), kWhere, L"rule %ls: action not taken", name) ||
      !ComSucceeded(rule->put_Enabled(VARIANT_TRUE), kWhere, L"rule %ls cannot be enabled", name) ||
      !ComSucceeded(rule->put_Direction(inbound ? NET_FW_RULE_DIR_IN : NET_FW_RULE_DIR_OUT), kWhere,
                    L"rule %ls: direction not taken", name)) {
    return false;
  }
  return ComSucceeded(rules->Add(rule), kWhere, L"rule %ls not added", name);
}

bool RemoveFirewallRules(const wchar_t* const* names, int count) {
  const ScopedComApartment com;
  if (!ComUsable(com, L"remove rules")) return false;
  const ComPtr<INetFwRules> rules = OpenRuleCollection();
  return rules != nullptr && RemoveRulesFromCollection(rules.Get(), names, count);
}

void AddFirewallRule(const wchar_t* name, const wchar_t* program_path, bool inbound) {
  const ScopedComApartment com;
  if (!ComUsable(com, L"add a rule")) return;
  const ComPtr<INetFwRules> rules = OpenRuleCollection();
  if (rules == nullptr) return;
  ComPtr<INetFwRule> rule;
  if (!ComSucceeded(CoCreateInstance(__uuidof(NetFwRule), nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&rule)),
                    kWhere, L"no rule object for %ls", name)) {
    return;
  }
  AddRuleToCollection(rules.Get(), rule.Get(), name, program_path, inbound);
}
