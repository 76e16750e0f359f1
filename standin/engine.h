// What each operation does when no fault is injected.
#ifndef HOLDFAST_STANDIN_ENGINE_H_
#define HOLDFAST_STANDIN_ENGINE_H_

#include "call.h"

namespace standin {

int Perform(Call& call);

}  // namespace standin

#endif  // HOLDFAST_STANDIN_ENGINE_H_
