#include "atlas/acupoint_table.h"

AcupointRecord acupoints[kAcupointCapacity];
int acupoint_count;
