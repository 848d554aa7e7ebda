#pragma once
// The marks of one document: MarkRecords in creation order, the next free
// mark number and the active mark (at most one).
//
// Contract:
// - Numbers are unique within the list and not reused while it holds
//   marks: every new mark takes the next free number, which only grows (a
//   mark read from a file raises it past the mark's number). Emptying the
//   list with Clear or Reset starts the numbering at 0 again, as in a new
//   document, and begins a new generation: numbers kept from before it no
//   longer name the marks they named.
// - Every change goes through the methods below; after each one the change
//   hook (set by the owning document) runs once, with `modified` true when
//   something that is saved with the file changed (not for a change of the
//   active mark alone). Marks read from a file (AppendFromFile) run no hook.
//   Code that places many marks holds a Batch so that the hook (and with it
//   every view's walk over the marks) runs once.
// - Positions are frame indices; values are Hz for marks in the spectrogram
//   and hundredths of a percent of full scale in the oscillogram.
// - Interface thread only. The list holds copies; pointers from Find and
//   Active stay valid until the next change.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/CursorKind.h"
#include "base/MarkRecord.h"

namespace nv {

// Where a mark is made from: the fields of a view's cursor record.
struct MarkPoint {
  int32_t position = 0;        // frame
  int32_t value = 0;           // Hz or 1/100 %; 0 or less for a marking cursor
  int32_t channel = 3;         // 1 left, 2 right, 3 both
  bool inSpectrogram = false;  // the value is a frequency
  CursorKind kind = CursorKind::Marking;
  int32_t rangeStart = -1;     // level cursor range; -1 when not set
  int32_t rangeEnd = -1;
};

// What the "Mark properties" dialog edits.
struct MarkProperties {
  std::string label;        // stored up to 79 bytes
  std::string description;  // stored up to 399 bytes
  bool displayLabel = true;
  bool displayMark = true;
  // Marking, measurement or large measurement cursor; a mark of another
  // kind (a level or stereo marking cursor, or a number read from a file
  // that names no kind) keeps its own.
  CursorKind kind = CursorKind::Marking;
};

enum class MarkStep { Left, Right, Up, Down };

// What limits a move of the active mark with the arrow keys: one step of
// the plot and its visible stretch (frames and values of the diagram the
// mark lies in).
struct MarkMoveLimits {
  int64_t framesPerStep = 1;   // one pixel in frames (at least 1 is used)
  int64_t valuePerStep = 1;    // one pixel in Hz or 1/100 % (at least 1 is used)
  int64_t firstVisible = 0;    // first and last visible frame
  int64_t lastVisible = 0;
  int64_t frameCount = 0;      // the document's length
  int64_t minValue = 0;        // visible value range of the mark's diagram
  int64_t maxValue = 0;
};

// Highest amplitude a mark may have (100 %).
constexpr int32_t kMarkMaxAmplitude = 10000;
// Longest label and description the properties dialog accepts
// (characters); longest stored texts (bytes).
constexpr int kMarkLabelDialogChars = 40;
constexpr int kMarkDescriptionDialogChars = 400;
constexpr size_t kMarkLabelMaxBytes = 79;
constexpr size_t kMarkDescriptionMaxBytes = 399;

class MarkList {
 public:
  // Runs after every change; `modified` tells that saved fields changed.
  using ChangeHook = std::function<void(bool modified)>;

  MarkList() = default;
  MarkList(const MarkList&) = delete;
  MarkList& operator=(const MarkList&) = delete;

  void SetChangeHook(ChangeHook hook) { hook_ = std::move(hook); }

  // Holds the change hook back while it lives: the changes made meanwhile
  // run it once at the end (for an analysis that places many marks).
  // Batches may nest; the outermost one runs the hook.
  class Batch {
   public:
    explicit Batch(MarkList& list) : list_(list) { ++list_.batchDepth_; }
    ~Batch();
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

   private:
    MarkList& list_;
  };

  // The marks in creation order.
  const std::vector<MarkRecord>& Items() const { return marks_; }
  size_t size() const { return marks_.size(); }
  bool empty() const { return marks_.empty(); }
  const MarkRecord& operator[](size_t i) const { return marks_[i]; }
  std::vector<MarkRecord>::const_iterator begin() const { return marks_.begin(); }
  std::vector<MarkRecord>::const_iterator end() const { return marks_.end(); }

  // The number the next new mark gets.
  int64_t NextNumber() const { return nextNumber_; }
  // Rises with every Clear and Reset. Code that keeps mark numbers to act on
  // them later (the pulse results' "Clear Marks") keeps the generation too
  // and leaves its numbers alone once it has changed.
  uint64_t Generation() const { return generation_; }
  // The mark with that number, or null.
  const MarkRecord* Find(int32_t number) const;
  // The active mark, or null; its number, or -1.
  const MarkRecord* Active() const;
  int32_t ActiveNumber() const;

  // "add mark" (the pulse analysis places its marks with it): a mark at
  // `position` with `value` (Hz when inSpectrogram, else 1/100 %), on
  // `channel` (1, 2, 3), drawn as cursor `kind`, displayed, its label shown
  // when displayLabel; an empty label becomes "Mark <number>". The mark
  // becomes the active one. Returns its number, or -1 when no number is left
  // (a message was shown).
  int32_t Add(int32_t position, int32_t value, bool inSpectrogram, int32_t channel,
              const std::string& label, bool displayLabel, CursorKind kind);
  // "Save cursor as mark": a mark from the cursor's fields, labelled
  // "Mark <number>", label and mark displayed; it becomes the active one.
  int32_t AddFromCursor(const MarkPoint& cursor);
  // Appends marks in one change, each as Add with its own label (empty:
  // "Mark <number>"); the active mark stays as it was. Returns how many
  // were added (fewer only when the numbers run out).
  size_t AddMany(const std::vector<std::pair<MarkPoint, std::string>>& marks);
  // A mark read from a file, kept as read and never active; a number that is
  // negative or already taken is replaced by the next free one so that
  // numbers stay unique. Runs no hook (the reader fills a fresh document).
  void AppendFromFile(const MarkRecord& m);

  // "remove mark": deletes the mark with that number; no mark is active
  // afterwards. False when there is no such mark.
  bool Remove(int32_t number);
  // "Clear all marks": deletes every mark; the next mark is numbered 0.
  void Clear();
  // Empties the list and starts numbering at 0 again (a new document).
  void Reset();

  // Makes that mark the active one (the previous one loses its flag);
  // -1 makes none active. False when there is no such mark.
  bool SetActive(int32_t number);
  // Stores the dialog's fields in the mark (texts cut to what a file
  // holds; kinds other than 1 to 3 keep the mark's own). False when there
  // is no such mark.
  bool SetProperties(int32_t number, const MarkProperties& p);
  // The mark's dialog fields.
  static MarkProperties PropertiesOf(const MarkRecord& m);

  // The sound was relabelled (a new sampling rate or time-expansion
  // factor; the samples unchanged): every real frequency of the
  // spectrogram changes by (newRate x newExpansion) / (oldRate x
  // oldExpansion), and each spectrogram mark's frequency follows, rounded
  // to whole Hz (at least 1), so that the mark stays on the frames and
  // the file frequency it marked. Positions and amplitudes are frames and
  // fractions of full scale and stay as they are. Expansions of 0 or less
  // count as 1000; rates of 0 or less change nothing.
  void FollowRelabel(int64_t oldRateHz, int64_t oldExpansionThousandths, int64_t newRateHz,
                     int64_t newExpansionThousandths);

  // One arrow-key step of the mark: Left/Right by framesPerStep, never
  // before the first or after the last visible frame nor past the end of
  // the sound; Up/Down only for measurement marks (kinds 2 and 3), by
  // valuePerStep within the visible value range, an oscillogram mark's
  // amplitude held within +-100 % (a step that would pass 100 % stops
  // there). Returns false when the mark did not move.
  bool Move(int32_t number, MarkStep step, const MarkMoveLimits& limits);

  // The "Mark distances" table: a first row (blank cell, then the labels)
  // and one row per mark (its label, then one cell per mark). Below the
  // diagonal the time from the column's mark to the row's mark ("%d ms",
  // real time); above it, when both marks lie in the spectrogram, the
  // row's frequency minus the column's ("%d Hz" below 1000, else kHz);
  // "-" elsewhere. rateHz and expansionThousandths convert frames to time
  // (an expansion of 0 or less counts as 1000).
  std::vector<std::vector<std::string>> DistanceTable(int64_t rateHz,
                                                      int64_t expansionThousandths) const;
  // The table as clipboard text: cells separated by tabs, CR LF after
  // every row.
  std::string DistanceText(int64_t rateHz, int64_t expansionThousandths) const;

 private:
  MarkRecord* FindMutable(int32_t number);
  // Makes marks_[index] the active mark (-1: none).
  void ActivateIndex(int64_t index);
  // A new record numbered with the next free number; false when none is left.
  bool MakeNew(const MarkPoint& p, const std::string& label, bool displayLabel, MarkRecord& out);
  void Changed(bool modified);

  std::vector<MarkRecord> marks_;
  int64_t nextNumber_ = 0;
  uint64_t generation_ = 0;
  ChangeHook hook_;
  int64_t active_ = -1;  // index of the active mark, -1 for none
  int batchDepth_ = 0;
  bool batchChanged_ = false;   // a change happened during the batch
  bool batchModified_ = false;  // and it changed saved fields
};

// The frequency difference text of the distance table: "%d Hz" below 1000
// Hz (negative differences included), then kHz with 3, 2, 1 or 0 decimals.
std::string MarkFrequencyDistanceText(int64_t differenceHz);

// The first visible frame of a view centred on a mark at `position` that
// shows `visibleFrames` frames: position minus half of them; a start past
// the end of the sound becomes the length minus that half; a negative
// start becomes 0.
int64_t MarkScrollStart(int64_t position, int64_t visibleFrames, int64_t frameCount);

// Brings a view's display copies in line with the document's marks: both
// are walked ordered by number; a copy whose fields differ is replaced, a
// copy without a mark is dropped, a mark without a copy is inserted.
// `copies` ends up equal to the marks ordered by number. Returns the
// records that must be drawn again or erased (old and new copies of
// changed marks, dropped copies, inserted marks); empty when nothing changed.
std::vector<MarkRecord> SyncMarkCopies(std::vector<MarkRecord>& copies, const MarkList& marks);

}  // namespace nv
