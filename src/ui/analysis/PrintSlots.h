#pragma once
// The print slots of a sound view: which power window and which pulse
// interval / pulse length window (slot 0 ... 15) is being printed or
// previewed, -1 for none. A print request takes its kind's slot for the time
// of the print; a preview request is refused (the caller beeps) while any
// print or preview is pending; a window of the kind being printed may not be
// closed until it ends. Plain data, interface thread only.
class PrintSlots {
 public:
  enum class Kind { kPower, kRate };

  int Slot(Kind k) const { return k == Kind::kPower ? power_ : rate_; }
  bool Busy() const { return power_ >= 0 || rate_ >= 0; }
  // Takes the slot for a print or preview; false when a preview is asked
  // for while another print or preview is pending.
  bool Begin(Kind k, int slot, bool preview) {
    if (preview && Busy()) return false;
    (k == Kind::kPower ? power_ : rate_) = slot;
    return true;
  }
  // Both slots back to -1 when printing (or the preview) ends.
  void End() { power_ = rate_ = -1; }
  // Whether a window of kind k may close now.
  bool MayClose(Kind k) const { return Slot(k) < 0; }

 private:
  int power_ = -1;
  int rate_ = -1;
};
