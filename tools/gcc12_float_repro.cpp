// GCC 12.2 at -O2 drops the rounding of a loop of double-to-float-to-double conversions: its
// basic-block vectoriser stores two of the three fields back unrounded. Not part of the build;
// SnapPositions (tools/gradients/source_gradient.cpp) keeps its conversion out of line for this.
//
//   g++ -O2 tools/gcc12_float_repro.cpp -o /tmp/repro && /tmp/repro
//
// prints "0.10000000000000001 0.20000000000000001" and exits 1 with GCC 12.2.0 (Debian 12);
// -O1, -O2 -fno-tree-slp-vectorize and clang 14 print the rounded values and exit 0.
#include <cstdio>

struct Segment {
  double left, middle, right;
};

[[gnu::noinline]] void Snap(Segment *s, int n) {
  for (int i = 0; i < n; ++i) {
    s[i].left = static_cast<float>(s[i].left);
    s[i].middle = static_cast<float>(s[i].middle);
    s[i].right = static_cast<float>(s[i].right);
  }
}

int main() {
  Segment s[] = {{0.1, 0.2, 0.3}};
  Snap(s, 1);
  std::printf("%.17g %.17g\n", s[0].left, s[0].middle);
  return s[0].left != static_cast<float>(0.1) || s[0].middle != static_cast<float>(0.2);
}
