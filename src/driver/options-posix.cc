#include "driver/options.h"

// "/" starts a path here, never an option: "/etc/x" must not mean end mode.
bool IsOptionLead(char c) { return c == '-'; }

const char kUsageOptionLead = '-';
