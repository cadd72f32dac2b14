// The character cell of a font made from a GDI-style height argument, from the face's design
// metrics. The cell is ascent + descent pixels high with the baseline ascent pixels below its top.
#pragma once

struct CellMetrics {
  int pixels_per_em = 0;
  int ascent = 0;
  int descent = 0;
  int height() const { return ascent + descent; }
};

// height > 0: the cell height (ascent + descent) in pixels; height < 0: the em height; 0: the
// default cell of 16 pixels. ascent_units and descent_units (both positive downwards from the
// baseline for the descent) and units_per_em are the face's design units; unusable values are
// replaced by an ascent of 0.8 em and a descent of 0.2 em.
CellMetrics gdi_cell_metrics(int height, int ascent_units, int descent_units, int units_per_em);
