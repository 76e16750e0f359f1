#include "faults.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstring>
#include <string_view>

#include "complain.h"
#include "platform.h"
#include "status.h"

namespace standin {

namespace {

std::vector<std::string_view> Split(std::string_view s, char sep) {
  std::vector<std::string_view> out;
  size_t start = 0;
  for (;;) {
    size_t end = s.find(sep, start);
    if (end == std::string_view::npos) {
      out.push_back(s.substr(start));
      return out;
    }
    out.push_back(s.substr(start, end - start));
    start = end + 1;
  }
}

bool ParseNumber(std::string_view s, long long lo, long long hi,
                 long long* out) {
  long long v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size() || v < lo || v > hi)
    return false;
  *out = v;
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

// \xHH gives bytes that cannot stand in a rule: space, ';', NUL.
bool Unescape(std::string_view s, std::string* out) {
  out->clear();
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\') {
      *out += s[i];
      continue;
    }
    if (i + 3 >= s.size())
      return false;
    if (s[i + 1] != 'x' || HexDigit(s[i + 2]) < 0 || HexDigit(s[i + 3]) < 0)
      return false;
    *out += static_cast<char>(HexDigit(s[i + 2]) * 16 + HexDigit(s[i + 3]));
    i += 3;
  }
  return true;
}

bool ParseField(std::string_view name, std::string_view value, FaultRule* rule,
                std::string* err) {
  long long n = 0;
  std::string bytes;
  bool ok = true;
  if (name == "op") {
    ok = ParseNumber(value, 0, 65535, &n);
    rule->op = static_cast<uint16_t>(n);
  } else if (name == "keynum") {
    ok = ParseNumber(value, -128, 127, &n);
    rule->keynum = static_cast<int>(n);
  } else if (name == "call") {
    ok = ParseNumber(value, 1, LLONG_MAX, &n);
    rule->nth = static_cast<uint64_t>(n);
  } else if (name == "status") {
    ok = ParseNumber(value, INT_MIN, INT_MAX, &n);
    rule->status = static_cast<int>(n);
  } else if (name == "len") {
    ok = ParseNumber(value, 0, UINT32_MAX, &n);
    rule->len = static_cast<uint32_t>(n);
  } else if (name == "match") {
    ok = Unescape(value, &bytes) && !bytes.empty();
    rule->match = bytes;
  } else if (name == "text") {
    ok = Unescape(value, &bytes);
    rule->text = bytes;
  } else if (name == "fill") {
    ok = Unescape(value, &bytes) && bytes.size() == 1;
    if (ok)
      rule->fill = static_cast<unsigned char>(bytes[0]);
  } else {
    *err = "unknown field \"" + std::string(name) + "\"";
    return false;
  }
  if (!ok)
    *err = "bad value in \"" + std::string(name) + "=" + std::string(value) +
           "\"";
  return ok;
}

bool ParseRule(std::string_view text, FaultRule* rule, std::string* err) {
  std::vector<std::string> seen;
  for (std::string_view field : Split(text, ' ')) {
    if (field.empty())
      continue;
    size_t eq = field.find('=');
    if (eq == std::string_view::npos) {
      *err = std::string("\"").append(field).append("\" is not name=value");
      return false;
    }
    std::string name(field.substr(0, eq));
    for (const std::string& s : seen) {
      if (s == name) {
        *err = std::string("\"").append(name).append("\" given twice");
        return false;
      }
    }
    seen.push_back(name);
    if (!ParseField(name, field.substr(eq + 1), rule, err))
      return false;
  }
  for (const char* required : {"op", "status"}) {
    bool found = false;
    for (const std::string& s : seen)
      found = found || s == required;
    if (!found) {
      *err = std::string("no ") + required + "= field";
      return false;
    }
  }
  return true;
}

// The rules in force, parsed again and counted afresh whenever the
// variable's value changes.
struct Armed {
  std::string source;
  std::vector<FaultRule> rules;
  std::vector<uint64_t> seen;  // calls each rule selected so far
  std::string error;
};

Armed& Current() {
  static Armed armed;
  std::string source = Environment("HOLDFAST_STANDIN_FAULTS");
  if (source != armed.source) {
    armed = Armed();
    armed.source = source;
    if (!ParseFaults(source, &armed.rules, &armed.error))
      armed.rules.clear();
    armed.seen.assign(armed.rules.size(), 0);
  }
  return armed;
}

}  // namespace

bool ParseFaults(const std::string& rules_text, std::vector<FaultRule>* rules,
                 std::string* err) {
  rules->clear();
  size_t index = 0;
  for (std::string_view text : Split(rules_text, ';')) {
    ++index;
    if (text.find_first_not_of(' ') == std::string_view::npos)
      continue;
    FaultRule rule;
    std::string why;
    if (!ParseRule(text, &rule, &why)) {
      *err = "HOLDFAST_STANDIN_FAULTS rule " + std::to_string(index) + " (" +
             std::string(text) + "): " + why;
      return false;
    }
    rules->push_back(std::move(rule));
  }
  return true;
}

bool Selects(const FaultRule& rule, const Call& call) {
  if (rule.op != call.op)
    return false;
  if (rule.keynum && *rule.keynum != call.keynum)
    return false;
  if (rule.match) {
    std::string haystack = call.op == kContinuous ? call.Data() : call.Key();
    if (haystack.find(*rule.match) == std::string::npos)
      return false;
  }
  return true;
}

void ApplyFault(const FaultRule& rule, Call& call) {
  uint32_t room = call.data ? call.Length() : 0;
  if (rule.fill)
    std::memset(call.data, *rule.fill, room);
  if (rule.text && room > 0) {
    size_t n = std::min<size_t>(rule.text->size() + 1, room);
    std::memcpy(call.data, rule.text->c_str(), n);
  }
  if (rule.len && call.len)
    *call.len = *rule.len;
}

Injected InjectFault(Call& call, int* status) {
  Armed& armed = Current();
  if (!armed.error.empty()) {
    Complain(armed.error);
    *status = kBadFaults;
    return Injected::kRefused;
  }
  const FaultRule* chosen = nullptr;
  for (size_t i = 0; i < armed.rules.size(); ++i) {
    const FaultRule& rule = armed.rules[i];
    if (!Selects(rule, call))
      continue;
    ++armed.seen[i];
    if (!chosen && (rule.nth == 0 || rule.nth == armed.seen[i]))
      chosen = &rule;
  }
  if (!chosen)
    return Injected::kNone;
  ApplyFault(*chosen, call);
  *status = chosen->status;
  return Injected::kRefused;
}

}  // namespace standin
