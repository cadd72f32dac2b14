#include "body/border_split.h"

#include <map>
#include <utility>

size_t split_at_border(TriMesh& mesh, const Field& side, const Field& surface) {
  std::vector<double> s(mesh.vertices.size());
  for (size_t i = 0; i < s.size(); ++i) s[i] = side(mesh.vertices[i]);
  auto beyond = [&](int v) { return s[v] > 0; };

  std::map<std::pair<int, int>, int> crossing;  // edge -> new vertex on the border
  std::vector<int> border_vertices;
  auto cross_at = [&](int a, int b) {
    const auto key = std::make_pair(std::min(a, b), std::max(a, b));
    const auto it = crossing.find(key);
    if (it != crossing.end()) return it->second;
    const double t = s[a] / (s[a] - s[b]);
    const int v = static_cast<int>(mesh.vertices.size());
    mesh.vertices.push_back(lerp(mesh.vertices[a], mesh.vertices[b], t));
    crossing[key] = v;
    border_vertices.push_back(v);
    return v;
  };

  std::vector<std::array<int, 3>> near_side, far_side;
  for (const auto& t : mesh.triangles) {
    const int n = beyond(t[0]) + beyond(t[1]) + beyond(t[2]);
    if (n == 0 || n == 3) {
      (n == 0 ? near_side : far_side).push_back(t);
      continue;
    }
    // Turn the corners so that the lone one (alone on its side) comes first.
    int r = 0;
    for (int k = 0; k < 3; ++k)
      if (beyond(t[k]) != beyond(t[(k + 1) % 3]) && beyond(t[k]) != beyond(t[(k + 2) % 3])) r = k;
    const int a = t[r], b = t[(r + 1) % 3], c = t[(r + 2) % 3];
    const int ab = cross_at(a, b), ac = cross_at(a, c);
    auto& lone = beyond(a) ? far_side : near_side;
    auto& pair = beyond(a) ? near_side : far_side;
    lone.push_back({a, ab, ac});
    pair.push_back({ab, b, c});
    pair.push_back({ab, c, ac});
  }
  TriMesh border;
  for (int v : border_vertices) border.vertices.push_back(mesh.vertices[v]);
  project_to_surface(border, surface, 2);
  // The far side gets twins of the border vertices, at the same places.
  std::map<int, int> twin;
  for (size_t i = 0; i < border_vertices.size(); ++i) {
    mesh.vertices[border_vertices[i]] = border.vertices[i];
    twin[border_vertices[i]] = static_cast<int>(mesh.vertices.size());
    mesh.vertices.push_back(border.vertices[i]);
  }
  for (auto& t : far_side)
    for (int& v : t) {
      const auto it = twin.find(v);
      if (it != twin.end()) v = it->second;
    }
  mesh.triangles = near_side;
  mesh.triangles.insert(mesh.triangles.end(), far_side.begin(), far_side.end());
  return near_side.size();
}
