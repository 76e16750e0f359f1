// Tells a person on stderr why a call was refused for a reason of setup.
#ifndef HOLDFAST_STANDIN_COMPLAIN_H_
#define HOLDFAST_STANDIN_COMPLAIN_H_

#include <cstdio>
#include <string>

namespace standin {

inline void Complain(const std::string& message) {
  std::fprintf(stderr, "holdfast-standin: %s\n", message.c_str());
  std::fflush(stderr);
}

}  // namespace standin

#endif  // HOLDFAST_STANDIN_COMPLAIN_H_
