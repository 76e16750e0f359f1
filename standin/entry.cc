#include "entry.h"

#include <string>

#include "call.h"
#include "engine.h"
#include "faults.h"
#include "journal.h"

extern "C" STANDIN_EXPORT int STANDIN_CALL BTRCALLID(
    uint16_t operation, void* positionBlock, void* dataBuffer,
    uint32_t* dataLength, void* keyBuffer, uint8_t keyLength,
    int8_t keyNumber, uint8_t* clientId) {
  standin::Call call;
  call.op = operation;
  call.pos = static_cast<unsigned char*>(positionBlock);
  call.data = static_cast<unsigned char*>(dataBuffer);
  call.len = dataLength;
  call.key = static_cast<const unsigned char*>(keyBuffer);
  call.keylen = keyLength;
  call.keynum = keyNumber;
  call.client = clientId;

  std::string fields = standin::JournalFields(call);
  int status = 0;
  if (standin::InjectFault(call, &status) == standin::Injected::kNone)
    status = standin::Perform(call);
  standin::WriteJournal(fields, status, call.Length());
  return status;
}
