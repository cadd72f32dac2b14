// The viewer's acupoint table: a record's index here is its identity in picking and on screen.
#pragma once

#include "atlas/acupoint_record.h"

extern AcupointRecord acupoints[kAcupointCapacity];
extern int acupoint_count;  // records in use, from the front
