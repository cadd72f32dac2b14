// Lookups in the acupoint table: linear scans in table order, the first record wins.
#pragma once

#include <string>

#include "atlas/acupoint_record.h"

// meridian * 1000 + number of the first record whose pinyin equals query byte for byte, and
// query emptied; 0 (query kept) when none does or query is empty.
int find_pinyin_code(std::string& query, const AcupointRecord* table, int count);

// Table index of the first record with the code's meridian and number; 0 when none has them.
int find_code_index(int code, const AcupointRecord* table, int count);
