#define KARVELUND_BANK_KERNEL renderAvx2
#include "VoiceBankKernel.h"
