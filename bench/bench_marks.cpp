// Cost of placing many marks in a document that one view watches: every
// change brings the view's display copies in line (the walk over the mark
// numbers). One mark at a time, as the menu commands do, against the same
// marks placed inside one MarkList::Batch, as an analysis that places a
// mark per pulse can; and the distance table of a list of marks.
#include <benchmark/benchmark.h>

#include <optional>
#include <vector>

#include "document/CNorvaneDoc.h"
#include "document/MarkList.h"

namespace {

// A view that keeps display copies of the marks, as a sound view does.
struct CopyingView : nv::SoundViewObserver {
  nv::CNorvaneDoc* doc = nullptr;
  std::vector<nv::MarkRecord> copies;
  bool IsSoundView() const override { return false; }
  void OnUpdate(nv::UpdateHint) override { benchmark::DoNotOptimize(nv::SyncMarkCopies(copies, doc->Marks())); }
};

void PlaceMarks(benchmark::State& state, bool batch) {
  nv::DocumentContext documents;
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    nv::CNorvaneDoc doc(documents);
    CopyingView view;
    view.doc = &doc;
    doc.AddView(&view);
    {
      std::optional<nv::MarkList::Batch> b;
      if (batch) b.emplace(doc.Marks());
      for (int i = 0; i < n; ++i) doc.Marks().Add(i * 100, 40000 + i, true, 1, "#1 high", false, nv::CursorKind::Measurement);
    }
    benchmark::DoNotOptimize(view.copies.size());
    doc.RemoveView(&view);
  }
  state.SetItemsProcessed(state.iterations() * n);
}

void BM_PlaceMarksOneByOne(benchmark::State& state) { PlaceMarks(state, false); }
void BM_PlaceMarksInOneBatch(benchmark::State& state) { PlaceMarks(state, true); }

void BM_DistanceText(benchmark::State& state) {
  nv::MarkList list;
  for (int i = 0; i < state.range(0); ++i) list.Add(i * 441, 20000 + 37 * i, true, 1, "", true, nv::CursorKind::Measurement);
  for (auto _ : state) benchmark::DoNotOptimize(list.DistanceText(44100, 10000));
}

}  // namespace

BENCHMARK(BM_PlaceMarksOneByOne)->Arg(100)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlaceMarksInOneBatch)->Arg(100)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DistanceText)->Arg(100)->Arg(500)->Unit(benchmark::kMillisecond);
