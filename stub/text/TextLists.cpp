#include "text/TextLists.h"

#include <algorithm>

#include "text/TextBasics.h"
#include "text/TextEdit.h"
#include "text/TextSearch.h"

int ListItemCount(const std::string& list) {
  if (list.empty() || list.back() != list.front()) return 0;
  return static_cast<int>(std::count(list.begin() + 1, list.end(), list.front()));
}

std::string ListItem(const std::string& list, int index, const std::string& default_value) {
  if (list.empty() || index < 0) return default_value;
  const char d = list.front();
  std::size_t start = 0;  // index of the delimiter that opens the item
  for (int i = 0; i < index; ++i) {
    start = list.find(d, start + 1);
    if (start == std::string::npos) return default_value;
  }
  const std::size_t end = list.find(d, start + 1);
  if (end == std::string::npos || end == start + 1) return default_value;
  return list.substr(start + 1, end - start - 1);
}

// A value that holds the delimiter would split its item; callers pass plain values.
void ListSetItem(std::string& list, int index, const std::string& value) {
  if (index < 0) return;
  if (list.empty()) list = "|";
  const int count = std::max(ListItemCount(list), index + 1);
  const std::string d(1, list.front());
  std::string rebuilt = d;
  for (int i = 0; i < count; ++i) {
    rebuilt += (i == index) ? value : ListItem(list, i, "");
    rebuilt += d;
  }
  list = rebuilt;
}

std::string ListValue(const std::string& list, const std::string& key,
                      const std::string& default_value) {
  if (list.size() <= 2 || list.front() != list.back()) return default_value;
  const std::string d(1, list.front());
  std::string search_key = d + key;
  if (key.empty() || key.back() != '=') search_key += '=';
  std::string work = ReplaceAll(list, d + " ", d);
  work = ReplaceAll(work, " =", "=");
  const int at = PosIC(search_key, work);
  if (at == 0) return default_value;
  const std::string rest = work.substr(static_cast<std::size_t>(at - 1) + search_key.size());
  return rest.substr(0, rest.find(d[0]));
}
