// The 【定位】 text of an acupoint: where it lies, in landmarks and B-cun, written from the same
// location rule that places its marker, so that the words and the marker cannot disagree.
#pragma once

#include <string>
#include <vector>

#include "atlas_gen/ptab_format.h"
#include "atlas_gen/source_table.h"

// "【定位】…。" (UTF-8). False with a message when the rule names a landmark that has no
// Chinese term.
bool location_text(const LocationRule& rule, std::string* text, std::string* error);

// The Chinese terms of the landmarks a rule measures from, one of which its location text must
// name: each landmark of the rule, both hairlines for the scalp, and the intercostal space a
// level of the sternum lies in.
std::vector<std::string> rule_terms(const LocationRule& rule);
// Empty when text names one of rule_terms(rule), else what is wrong.
std::string unnamed_landmark(const LocationRule& rule, const std::string& text);

// The record's texts from the table, in GBK: pinyin, name, meridian name, effects, and the
// explanation followed by its 【定位】 text (the table's words, which must name a landmark of
// the rule, else the words made from the rule). False with a message when a text is not GBK-safe or
// does not fit its field: such a record is refused, never cut.
bool record_texts(const SourcePoint& point, ShippedRecord* record, std::string* error);
