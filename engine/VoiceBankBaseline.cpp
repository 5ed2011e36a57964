#define KARVELUND_BANK_KERNEL renderBaseline
#include "VoiceBankKernel.h"
