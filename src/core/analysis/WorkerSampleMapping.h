#pragma once
// A read-only mapping of a document's work file that belongs to one worker
// run: the document may release or remake its own mapping meanwhile (Copy,
// Copy Ascii and the edits do) without pulling the pages from under the
// worker. Made and destroyed on the interface thread; the worker only reads
// through Samples(). Changes of the file's length must still wait until the
// mapping is gone (the views refuse them while a worker runs).
#include <cstddef>
#include <cstdint>

#include "base/SampleSource.h"

namespace nv {

class CNorvaneDoc;

class WorkerSampleMapping {
 public:
  // Maps the document's frames; Samples() is empty when there are none or
  // the mapping failed (then a message was shown).
  explicit WorkerSampleMapping(CNorvaneDoc& doc);
  ~WorkerSampleMapping();
  WorkerSampleMapping(const WorkerSampleMapping&) = delete;
  WorkerSampleMapping& operator=(const WorkerSampleMapping&) = delete;

  bool Failed() const { return failed_; }
  const SampleSource& Samples() const { return samples_; }

 private:
  void* base_ = nullptr;
  size_t bytes_ = 0;
  int guard_ = -1;  // its ReadMappingGuard slot
  bool failed_ = false;
  SampleSource samples_;
};

}  // namespace nv
