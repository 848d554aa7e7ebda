#include "document/SampleMapping.h"

namespace nv {

SampleMapping::SampleMapping(SampleStore& store, StoreFile file, MapAccess access)
    : store_(&store), file_(file), data_(store.Map(file, access)) {}

SampleMapping::~SampleMapping() {
  if (store_) store_->Unmap(file_);
}

SampleMapping::SampleMapping(SampleMapping&& other) noexcept
    : store_(other.store_), file_(other.file_), data_(other.data_) {
  other.store_ = nullptr;
  other.data_ = nullptr;
}

}  // namespace nv
