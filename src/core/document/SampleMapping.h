#pragma once
// One of a document's files mapped for the life of the object: the
// constructor maps the whole file (showing a message when it cannot), the
// destructor releases the mapping on every way out of the scope. Moving hands
// the release on. A mapping covers the file's size when it was made; anything
// that changes the file's length (Truncate, Reset) releases it, so nothing
// may change the length while the object's Data() is in use.
#include <cstdint>

#include "document/SampleStore.h"

namespace nv {

class SampleMapping {
 public:
  SampleMapping(SampleStore& store, StoreFile file, MapAccess access);
  ~SampleMapping();
  SampleMapping(SampleMapping&& other) noexcept;
  SampleMapping(const SampleMapping&) = delete;
  SampleMapping& operator=(const SampleMapping&) = delete;
  SampleMapping& operator=(SampleMapping&&) = delete;

  // Base of the mapped contents, null when the file could not be mapped.
  uint8_t* Data() const { return data_; }
  explicit operator bool() const { return data_ != nullptr; }

 private:
  SampleStore* store_;
  StoreFile file_;
  uint8_t* data_;
};

}  // namespace nv
