#include "clean/content_box.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace tamsolo {
namespace {

// A pixel further than this from its line's median is a mark; a line with more marks than
// kStrayMarks plus a thousandth of its length is not blank.
constexpr int kMarkStep = 20;
constexpr int kStrayMarks = 2;
// The page's edge and the ringing of compression round it are left out of the second pass.
constexpr int kEdgeInset = 6;
// A spine shadow starts within this many columns of where the page's walk starts.
constexpr int kShadowStart = 4;

// One line of the plane: count pixels from start, stride apart.
struct Line {
  const uint8_t* start;
  size_t stride;
  int count;

  uint8_t At(int i) const { return start[static_cast<size_t>(i) * stride]; }
};

// The tone a line holds along its length, or -1 when it has marks: pixels further than
// kMarkStep from its median, more of them than stray specks of dust or noise.
int BlankTone(const Line& line) {
  if (line.count <= 0)
    return -1;
  std::array<int, 256> counts{};
  for (int i = 0; i < line.count; ++i)
    ++counts[line.At(i)];
  int median = 0;
  for (int seen = 0; seen * 2 < line.count; ++median)
    seen += counts[static_cast<size_t>(median)];
  median = std::max(0, median - 1);
  int marks = 0;
  for (int v = 0; v < 256; ++v) {
    if (std::abs(v - median) > kMarkStep)
      marks += counts[static_cast<size_t>(v)];
  }
  return marks <= kStrayMarks + line.count / 1000 ? median : -1;
}

// Walks over the lines of one side while they are blank and none is much darker than the one
// before, so that a solid line of ink (the border of a page-wide panel) is not taken for margin;
// a line may always be much lighter (the paper after a dark bed). The exception is a spine
// shadow, dark at the page's left or right edge and fading inwards: on columns, a dark line
// among the first kShadowStart is passed when blank lines lead from it, through the darkest of
// them, smoothly up again (towards the earlier tone, or by kMarkStep). previous is the tone of
// the last blank line passed on this side, -1 for none. Returns how many lines it passed.
template <class LineAt>
int BlankLines(int count, int& previous, bool columns, LineAt lineAt) {
  for (int i = 0; i < count; ++i) {
    int tone = BlankTone(lineAt(i));
    if (tone < 0)
      return i;
    if (previous >= 0 && previous - tone > kMarkStep) {
      if (!columns || i >= kShadowStart)
        return i;
      const int before = previous;
      int lowest = tone;
      int j = i;
      while (tone < std::min(before - kMarkStep, lowest + kMarkStep)) {
        const int next = j + 1 < count ? BlankTone(lineAt(j + 1)) : -1;
        if (next < 0 || next - tone > kMarkStep)
          return i;
        tone = next;
        lowest = std::min(lowest, tone);
        ++j;
      }
      i = j;
    }
    previous = tone;
  }
  return count;
}

// BlankLines, except that dark lines at the start of a walk that meets content within a
// hundredth of the side are not a scanner bed but the border of art that fills the image: they
// stay, and the side's tone is as before.
template <class LineAt>
int Walk(int count, int side, int& previous, bool columns, LineAt lineAt) {
  const int before = previous;
  const int passed = BlankLines(count, previous, columns, lineAt);
  if (passed > 0 && passed < count && passed < side / 100 && BlankTone(lineAt(0)) < 128) {
    previous = before;
    return 0;
  }
  return passed;
}

// A column of the plane over rows [from, to) and a row over columns [from, to).
Line Column(const LumaPlane& luma, int x, int from, int to) {
  return {luma.Row(from) + x, static_cast<size_t>(luma.width), to - from};
}
Line RowOf(const LumaPlane& luma, int y, int from, int to) {
  return {luma.Row(y) + from, 1, to - from};
}

// The tone of the last blank line passed on each side.
using SideTones = std::array<int, 4>;

// Drops blank columns from both sides of box, judged over the rows of within, then blank rows,
// judged over the columns left inside within. Stops where the two sides meet.
ContentBox Shrink(const LumaPlane& luma, ContentBox box, const ContentBox& within,
                  SideTones& tones) {
  box.left += Walk(box.Width(), luma.width, tones[0], true,
                   [&](int i) { return Column(luma, box.left + i, within.top, within.bottom); });
  box.right -= Walk(box.Width(), luma.width, tones[2], true, [&](int i) {
    return Column(luma, box.right - 1 - i, within.top, within.bottom);
  });
  const int left = std::max(box.left, within.left), right = std::min(box.right, within.right);
  box.top += Walk(box.Height(), luma.height, tones[1], false,
                  [&](int i) { return RowOf(luma, box.top + i, left, right); });
  box.bottom -= Walk(box.Height(), luma.height, tones[3], false,
                     [&](int i) { return RowOf(luma, box.bottom - 1 - i, left, right); });
  return box;
}

}  // namespace

ContentBox FindContentBox(const LumaPlane& luma) {
  const ContentBox whole{0, 0, luma.width, luma.height};
  // First the bed, which is blank over the whole image; its shrunk box is the page.
  SideTones tones{-1, -1, -1, -1};
  const ContentBox page = Shrink(luma, whole, whole, tones);
  if (page.Width() <= 2 * kEdgeInset || page.Height() <= 2 * kEdgeInset)
    return whole;
  // Then the page's margin and shadow, blank along the page.
  const ContentBox along{page.left + kEdgeInset, page.top + kEdgeInset, page.right - kEdgeInset,
                         page.bottom - kEdgeInset};
  const ContentBox content = Shrink(luma, page, along, tones);
  if (content.Width() <= 0 || content.Height() <= 0)
    return whole;
  return content;
}

}  // namespace tamsolo
