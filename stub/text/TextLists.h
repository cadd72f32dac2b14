// Delimited lists ("|a|b|", the first character is the delimiter) and their keyed values.
#pragma once

#include <string>

int ListItemCount(const std::string& list);
std::string ListItem(const std::string& list, int index, const std::string& default_value);
void ListSetItem(std::string& list, int index, const std::string& value);
std::string ListValue(const std::string& list, const std::string& key,
                      const std::string& default_value);
