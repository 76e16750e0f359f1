// Refusals injected through HOLDFAST_STANDIN_FAULTS, so tests can drive a
// program down the paths a healthy engine never takes.
#ifndef HOLDFAST_STANDIN_FAULTS_H_
#define HOLDFAST_STANDIN_FAULTS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "call.h"

namespace standin {

struct FaultRule {
  uint16_t op = 0;
  std::optional<int> keynum;
  uint64_t nth = 0;  // 0: every call that matches
  std::optional<std::string> match;
  int status = 0;
  std::optional<uint32_t> len;
  std::optional<std::string> text;
  std::optional<unsigned char> fill;
};

bool ParseFaults(const std::string& rules_text, std::vector<FaultRule>* rules,
                 std::string* err);

// Whether the rule's op, keynum and match fields select this call.
bool Selects(const FaultRule& rule, const Call& call);

// Writes what the rule asks into the caller's buffers.
void ApplyFault(const FaultRule& rule, Call& call);

enum class Injected { kNone, kRefused };

// Consults HOLDFAST_STANDIN_FAULTS; on kRefused *status is what to return
// and the call must do nothing more.
Injected InjectFault(Call& call, int* status);

}  // namespace standin

#endif  // HOLDFAST_STANDIN_FAULTS_H_
