#pragma once
// Keeps a read-only mapping of another program's file readable when that
// program shortens the file while it is mapped (a recorder still writing, a
// sync tool replacing it). Reading a page beyond the new end raises SIGBUS,
// which would end the process; for a registered range the handler instead
// puts zero pages over the range from the faulting page to its end, marks
// the range shortened and returns, so the reader goes on (it reads silence
// there) and the range's owner reports the file as shortened afterwards.
// A SIGBUS outside every registered range goes on to the handler that was
// there before (by default it ends the process, as before).
//
// Any thread may register, unregister and read through a registered range;
// the table is lock-free, and the handler only reads it. A range must be
// unregistered before it is unmapped.
#include <cstddef>

namespace nv {

class ReadMappingGuard {
 public:
  // Guards the mapping [start, start + bytes); returns its slot, or -1 when
  // the table is full (the range is then read unguarded, as before).
  static int Register(const void* start, size_t bytes);
  static void Unregister(int slot);
  // True once a read of the slot's range met the end of a shortened file.
  static bool Shortened(int slot);
  // How many ranges may be guarded at once.
  static constexpr int kSlots = 256;
};

}  // namespace nv
