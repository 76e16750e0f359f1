// Statuses the stand-in returns; README.md lists what each means.
#ifndef HOLDFAST_STANDIN_STATUS_H_
#define HOLDFAST_STANDIN_STATUS_H_

namespace standin {

enum Status : int {
  kOk = 0,
  kBadOperation = 1,
  kIoError = 2,
  kNotOpen = 3,
  kBadKeyNumber = 6,
  kBadName = 11,
  kMissing = 12,
  kNotDatabaseFile = 30,
  kOwnerNeeded = 51,
  kHeldByOther = 85,
  kBadFaults = 9999,
};

}  // namespace standin

#endif  // HOLDFAST_STANDIN_STATUS_H_
