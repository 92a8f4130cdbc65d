#pragma once
// Windows Firewall rules for the client executable. Each public operation initialises COM on
// the calling thread for its own length and works on the firewall's rule collection.
#include <windows.h>
#include <netfw.h>

// Removes every rule carrying one of `names` (several rules may share a name). True when
// the collection was reached and no rule of those names is left.
bool RemoveFirewallRules(const wchar_t* const* names, int count);

// Replaces the rule `name` by an enabled allow rule for `program_path`, inbound or outbound.
void AddFirewallRule(const wchar_t* name, const wchar_t* program_path, bool inbound);

// The work on a given collection, so that it can be tried on one that is not the system's.
// A name is given up when a removal fails or leaves the number of rules unchanged, so a rule
// that will not go cannot keep the loop running.
bool RemoveRulesFromCollection(INetFwRules* rules, const wchar_t* const* names, int count);
// Fills in `rule` and adds it to `rules` after removing one earlier rule of the same name.
// True when the collection took the rule.
bool AddRuleToCollection(INetFwRules* rules, INetFwRule* rule, const wchar_t* name,
                         const wchar_t* program_path, bool inbound);
