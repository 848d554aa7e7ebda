#pragma once
// The source of the recording view's playback: the bytes of the document's
// work file as they are stored, like WorkFileSource, but always at the
// sound's own rate: the document's play speed belongs to its sound views and
// does not change what the recording view plays. Interface thread; see
// PlaybackSource for the contract.
#include "audio/WorkFileSource.h"

namespace nv {

class StoredRateSource : public WorkFileSource {
 public:
  using WorkFileSource::WorkFileSource;

  double Speed() const override { return 1.0; }
};

}  // namespace nv
