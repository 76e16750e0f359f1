#include "support/process.h"

ProcessResult RunProcess(const ProcessRequest& run) {
  return WaitProcess(StartProcess(run));
}
