#include "driver/options.h"

bool IsOptionLead(char c) { return c == '/' || c == '-'; }

const char kUsageOptionLead = '/';
