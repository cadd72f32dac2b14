#include "atlas/pointer_rules.h"

#include <cmath>
#include <utility>

void turn_for_motion(int last_x, int last_y, int x, int y, float& rot_x, float& rot_y) {
  if (x > last_x) rot_y += 2;
  if (x < last_x) rot_y -= 2;
  if (y > last_y) rot_x += 2;
  if (y < last_y) rot_x -= 2;
}

namespace {
void multiply(const double a[16], const double b[16], double out[16]) {
  for (int col = 0; col < 4; ++col) {
    for (int row = 0; row < 4; ++row) {
      double sum = 0;
      for (int k = 0; k < 4; ++k) sum += a[k * 4 + row] * b[col * 4 + k];
      out[col * 4 + row] = sum;
    }
  }
}

// Gauss-Jordan with partial pivoting on a column-major matrix.
bool invert(const double m[16], double inv[16]) {
  double a[4][8];
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      a[r][c] = m[c * 4 + r];
      a[r][c + 4] = r == c ? 1 : 0;
    }
  }
  for (int c = 0; c < 4; ++c) {
    int pivot = c;
    for (int r = c + 1; r < 4; ++r) {
      if (std::fabs(a[r][c]) > std::fabs(a[pivot][c])) pivot = r;
    }
    if (a[pivot][c] == 0) return false;
    for (int k = 0; k < 8; ++k) std::swap(a[c][k], a[pivot][k]);
    double scale = 1 / a[c][c];
    for (int k = 0; k < 8; ++k) a[c][k] *= scale;
    for (int r = 0; r < 4; ++r) {
      if (r == c) continue;
      double f = a[r][c];
      for (int k = 0; k < 8; ++k) a[r][k] -= f * a[c][k];
    }
  }
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) inv[c * 4 + r] = a[r][c + 4];
  }
  return true;
}
}  // namespace

bool unproject_point(double wx, double wy, double wz, const double model_view[16],
                     const double projection[16], const int viewport[4], double out[3]) {
  if (viewport[2] == 0 || viewport[3] == 0) return false;
  double pm[16], inv[16];
  multiply(projection, model_view, pm);
  if (!invert(pm, inv)) return false;
  double ndc[4] = {(wx - viewport[0]) / viewport[2] * 2 - 1, (wy - viewport[1]) / viewport[3] * 2 - 1,
                   wz * 2 - 1, 1};
  double obj[4];
  for (int row = 0; row < 4; ++row) {
    obj[row] = 0;
    for (int k = 0; k < 4; ++k) obj[row] += inv[k * 4 + row] * ndc[k];
  }
  if (obj[3] == 0) return false;
  for (int i = 0; i < 3; ++i) out[i] = obj[i] / obj[3];
  return true;
}

int recorded_index(const uint32_t* buffer, int buffer_size, int count) {
  if (buffer_size < 4 || buffer[0] < 1 || count <= 0) return -1;
  const uint32_t index = buffer[3];
  return index < static_cast<uint32_t>(count) ? static_cast<int>(index) : -1;
}

int first_hit_index(const uint32_t* buffer, int buffer_size, int hits, int count) {
  return hits > 0 ? recorded_index(buffer, buffer_size, count) : -1;
}
