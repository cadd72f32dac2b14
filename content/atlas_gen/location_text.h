// The 【定位】 text of an acupoint: where it lies, in landmarks and B-cun, written from the same
// location rule that places its marker, so that the words and the marker cannot disagree.
#pragma once

#include <string>

#include "atlas_gen/ptab_format.h"
#include "atlas_gen/source_table.h"

// "【定位】…。" (UTF-8). False with a message when the rule names a landmark that has no
// Chinese term.
bool location_text(const LocationRule& rule, std::string* text, std::string* error);

// The record's texts from the table, in GBK: pinyin, name, meridian name, effects, and the
// explanation followed by its 【定位】 text. False with a message when a text is not GBK-safe or
// does not fit its field: such a record is refused, never cut.
bool record_texts(const SourcePoint& point, ShippedRecord* record, std::string* error);
