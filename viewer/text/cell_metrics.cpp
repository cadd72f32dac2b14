#include "text/cell_metrics.h"

#include <algorithm>
#include <cmath>

// No window draws text this tall; the cap keeps the arithmetic small.
constexpr int kMaxCellPixels = 4096;
constexpr int kDefaultCellPixels = 16;

CellMetrics gdi_cell_metrics(int height, int ascent_units, int descent_units, int units_per_em) {
  double ascent = ascent_units, descent = descent_units, em = units_per_em;
  if (units_per_em <= 0 || ascent_units <= 0 || descent_units < 0) {
    em = 1000.0;
    ascent = 800.0;
    descent = 200.0;
  }
  const double design_cell = ascent + descent;
  CellMetrics m;
  if (height >= 0) {
    const int cell = std::min(height == 0 ? kDefaultCellPixels : height, kMaxCellPixels);
    // Outlines are scaled to whole pixels per em, as GDI does; the cell is exactly the height.
    m.pixels_per_em = std::max(1, int(std::lround(cell * em / design_cell)));
    m.ascent = int(std::lround(cell * ascent / design_cell));
    m.descent = cell - m.ascent;
  } else {
    const int ppem = int(std::min<long long>(-(long long)height, kMaxCellPixels));
    m.pixels_per_em = ppem;
    m.ascent = int(std::lround(ppem * ascent / em));
    m.descent = int(std::lround(ppem * descent / em));
  }
  return m;
}
