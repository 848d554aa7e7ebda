// The scrolling limits of a sound view, checked as properties over many
// sound lengths, spans and positions: the first visible sample never lies
// past the start of the last full page, a sound shorter than a page is shown
// from its start, steps stop at both ends, and a view zoomed out from the
// end of its sound ends exactly at the sound's end.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "views/ScrollRange.h"
#include "views/ViewNavigator.h"

namespace nv {
namespace {

std::vector<int64_t> Lengths(std::mt19937_64& rng) {
  std::vector<int64_t> v{0, 1, 2, 3, 7, 1000, 44100, 44101, 2147483647};
  std::uniform_int_distribution<int64_t> any(0, 200000000);
  for (int i = 0; i < 60; ++i) v.push_back(any(rng));
  return v;
}

std::vector<int64_t> Pages(std::mt19937_64& rng, int64_t length) {
  std::vector<int64_t> v{-5, 0, 1, 2, length - 1, length, length + 1, 2 * length + 3};
  std::uniform_int_distribution<int64_t> any(1, std::max<int64_t>(2 * length, 2));
  for (int i = 0; i < 20; ++i) v.push_back(any(rng));
  return v;
}

TEST(ScrollRange, NeverPastTheLastFullPage) {
  std::mt19937_64 rng(20261209);
  int cases = 0;
  for (int64_t length : Lengths(rng)) {
    for (int64_t samplesPerPlot : Pages(rng, length)) {
      const ScrollRange r(length, samplesPerPlot);
      const int64_t page = r.Page();
      ASSERT_GE(page, 1);
      if (length >= page) {
        // The last page ends exactly at the end of the sound.
        ASSERT_EQ(r.MaxFirst() + page, length) << length << " " << samplesPerPlot;
      } else {
        ASSERT_EQ(r.MaxFirst(), 0) << length << " " << samplesPerPlot;
      }
      std::uniform_int_distribution<int64_t> pos(-length - 10, 2 * length + 10);
      std::vector<int64_t> firsts{-1, 0, r.MaxFirst() - 1, r.MaxFirst(), r.MaxFirst() + 1, length,
                                  length + page, INT64_MIN / 4, INT64_MAX / 4};
      for (int i = 0; i < 40; ++i) firsts.push_back(pos(rng));
      for (int64_t first : firsts) {
        const int64_t c = r.Clamp(first);
        ++cases;
        ASSERT_GE(c, 0);
        ASSERT_LE(c, r.MaxFirst());
        // Within the sound whenever the sound fills a page.
        if (length >= page) {
          ASSERT_LE(c + page, length) << length << " " << page << " " << first;
        }
        // A position already allowed is kept; clamping twice changes nothing.
        if (first >= 0 && first <= r.MaxFirst()) {
          ASSERT_EQ(c, first);
        }
        ASSERT_EQ(r.Clamp(c), c);
        // The nearest allowed position.
        if (first > r.MaxFirst()) {
          ASSERT_EQ(c, r.MaxFirst());
        }
        if (first < 0) {
          ASSERT_EQ(c, 0);
        }
      }
    }
  }
  EXPECT_GT(cases, 50000);
}

TEST(ScrollRange, StepsStopAtBothEnds) {
  std::mt19937_64 rng(7);
  std::uniform_int_distribution<int64_t> len(0, 5000000);
  for (int i = 0; i < 400; ++i) {
    const int64_t length = len(rng);
    const int64_t spp = std::uniform_int_distribution<int64_t>(1, length + 1000)(rng);
    const int64_t step = std::uniform_int_distribution<int64_t>(0, spp)(rng);
    const ScrollRange r(length, spp);
    int64_t first = 0;
    // Right steps move by the step (at least 1) until the last full page,
    // then stay there.
    for (int k = 0; k < 100000 && first < r.MaxFirst(); ++k) {
      const int64_t next = r.Step(first, +1, step);
      ASSERT_EQ(next, std::min(first + std::max<int64_t>(step, 1), r.MaxFirst()));
      first = next;
    }
    if (std::max<int64_t>(step, 1) * 100000 >= r.MaxFirst()) {
      ASSERT_EQ(first, r.MaxFirst());
      ASSERT_EQ(r.Step(first, +1, step), r.MaxFirst());
    }
    first = r.MaxFirst();
    for (int k = 0; k < 100000 && first > 0; ++k) first = r.Step(first, -1, step);
    if (std::max<int64_t>(step, 1) * 100000 >= r.MaxFirst()) {
      ASSERT_EQ(r.Step(first, -1, step), 0);
    }
    // A step from a position past the end starts from the last full page.
    ASSERT_EQ(r.Step(length + 5, -1, step), r.Clamp(r.MaxFirst() - std::max<int64_t>(step, 1)));
  }
}

// Zoomed in and scrolled to the end, then zoomed out: the larger span shows
// the end of the sound at its right edge, not blank beyond it.
TEST(ScrollRange, ZoomOutFromTheEndEndsAtTheEnd) {
  const int64_t rate = 44100;
  auto pageOf = [&](int64_t spanUs) { return spanUs * rate / 1000000; };
  for (int64_t length : {44100LL * 3, 44100LL * 20 + 17, 123457LL, 44100LL * 600}) {
    AnalysisSettings s;
    ViewNavigator nav(&s);
    nav.SetKnown(rate, 1000);
    s.timePerPlotUs = 15000000;
    for (int zooms = 1; zooms <= 12; ++zooms) {
      for (int i = 0; i < zooms; ++i) nav.ZoomIn(nullptr, 0, 0);
      const ScrollRange in(length, pageOf(s.timePerPlotUs));
      const int64_t first = in.Clamp(length);  // scrolled to the end
      if (length >= in.Page()) {
        ASSERT_EQ(first + in.Page(), length);
      } else {
        ASSERT_EQ(first, 0);
      }
      for (int i = 0; i < zooms; ++i) {
        nav.ZoomOut(static_cast<int32_t>(first), static_cast<int32_t>(first + in.Page()));
        const ScrollRange out(length, pageOf(s.timePerPlotUs));
        const int64_t shown = out.Clamp(s.firstVisibleSample);
        if (length >= out.Page()) {
          ASSERT_LE(shown + out.Page(), length);
        } else {
          ASSERT_EQ(shown, 0);
        }
      }
      ASSERT_EQ(s.timePerPlotUs, 15000000);
    }
  }
}

// Page Up / Page Down move by one whole page and stop at the ends; Home and
// End reach the start and the last full page; a wheel notch moves a tenth
// of a page (towards the end when turned towards the user), a fine wheel's
// small turn at least one sample, and the wheel stops at both ends too.
TEST(ScrollRange, PagesEndsAndWheel) {
  std::mt19937_64 rng(2612);
  std::uniform_int_distribution<int64_t> len(0, 50000000);
  int cases = 0;
  for (int i = 0; i < 300; ++i) {
    const int64_t length = len(rng);
    const int64_t spp = std::uniform_int_distribution<int64_t>(1, length + 1000)(rng);
    const ScrollRange r(length, spp);
    ASSERT_EQ(r.Home(), 0);
    ASSERT_EQ(r.End(), r.MaxFirst());
    std::uniform_int_distribution<int64_t> pos(0, r.MaxFirst());
    for (int k = 0; k < 50; ++k) {
      const int64_t first = pos(rng);
      ++cases;
      ASSERT_EQ(r.PageStep(first, +1), std::min(first + r.Page(), r.MaxFirst()));
      ASSERT_EQ(r.PageStep(first, -1), std::max<int64_t>(first - r.Page(), 0));
      // Down a page and up a page comes back unless an end was met.
      if (first + r.Page() <= r.MaxFirst()) {
        ASSERT_EQ(r.PageStep(r.PageStep(first, +1), -1), first);
      }
      for (int delta : {-120, 120, -360, 240, -15, 8, -1, 1}) {
        const int64_t w = r.WheelStep(first, delta);
        ASSERT_GE(w, 0);
        ASSERT_LE(w, r.MaxFirst());
        int64_t move = -r.Page() * delta / 1200;
        if (move == 0) move = delta < 0 ? 1 : -1;
        ASSERT_EQ(w, r.Clamp(first + move)) << length << " " << spp << " " << first << " " << delta;
        // Towards the user is later in the sound.
        if (delta < 0) {
          ASSERT_GE(w, first);
        } else {
          ASSERT_LE(w, first);
        }
      }
      ASSERT_EQ(r.WheelStep(first, 0), first);
    }
    // Ten notches make a page.
    if (r.Page() % 10 == 0 && r.MaxFirst() >= r.Page()) {
      int64_t f = 0;
      for (int n = 0; n < 10; ++n) f = r.WheelStep(f, -120);
      ASSERT_EQ(f, r.PageStep(0, +1));
    }
    // Page Down from the start reaches the end in length / page steps and
    // never shows a stretch past it.
    int64_t f = r.Home();
    for (int n = 0; n < 1000000 && f < r.End(); ++n) {
      const int64_t next = r.PageStep(f, +1);
      ASSERT_GT(next, f);
      f = next;
    }
    ASSERT_EQ(f, r.End());
    if (length >= r.Page()) {
      ASSERT_EQ(f + r.Page(), length);
    }
  }
  EXPECT_GT(cases, 10000);
}

}  // namespace
}  // namespace nv
