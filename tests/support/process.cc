#include "support/process.h"

ProcessResult RunProcess(const ProcessSpec& run) {
  return WaitProcess(StartProcess(run));
}
