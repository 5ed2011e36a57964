#define KARVELUND_BANK_KERNEL renderAvx512
#include "VoiceBankKernel.h"
