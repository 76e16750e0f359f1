#include "support/process.h"

ProcessResult RunProcess(const ProcessSpec& spec) {
  return WaitProcess(StartProcess(spec));
}
