#include "base/RecordingInfo.h"

#include <algorithm>
#include <cstring>

#include "base/ByteOrder.h"

namespace nv {
namespace {
constexpr size_t kRelease = 0, kVersion = 4, kBuild = 8, kNotice = 12, kTimeExp = 52,
                 kDate = 56, kFiller = 66, kTime = 72, kBy = 82, kContents = 122, kR204 = 204,
                 kR208 = 208;
}  // namespace

RecordingInfo::RecordingInfo() {
  SetRelease(3);
  SetVersion(1);
  SetBuild(0);
  SetProductNotice(kProductNotice);
  SetTimeExpansion(1000);
  PutI32(&bytes_[kR204], -1);
  PutI32(&bytes_[kR208], -1);
}

int32_t RecordingInfo::Release() const { return GetI32(&bytes_[kRelease]); }
void RecordingInfo::SetRelease(int32_t v) { PutI32(&bytes_[kRelease], v); }
int32_t RecordingInfo::Version() const { return GetI32(&bytes_[kVersion]); }
void RecordingInfo::SetVersion(int32_t v) { PutI32(&bytes_[kVersion], v); }
int32_t RecordingInfo::Build() const { return GetI32(&bytes_[kBuild]); }
void RecordingInfo::SetBuild(int32_t v) { PutI32(&bytes_[kBuild], v); }
std::string RecordingInfo::ProductNotice() const { return GetText(&bytes_[kNotice], 40); }
void RecordingInfo::SetProductNotice(const std::string& s) { PutText(&bytes_[kNotice], 40, s); }
int32_t RecordingInfo::TimeExpansion() const { return GetI32(&bytes_[kTimeExp]); }
void RecordingInfo::SetTimeExpansion(int32_t v) { PutI32(&bytes_[kTimeExp], v); }
std::string RecordingInfo::Date() const { return GetText(&bytes_[kDate], 10); }
void RecordingInfo::SetDate(const std::string& s) { PutText(&bytes_[kDate], 10, s); }
std::string RecordingInfo::Time() const { return GetText(&bytes_[kTime], 10); }
void RecordingInfo::SetTime(const std::string& s) { PutText(&bytes_[kTime], 10, s); }
std::string RecordingInfo::RecordedBy() const { return GetText(&bytes_[kBy], 40); }
void RecordingInfo::SetRecordedBy(const std::string& s) { PutText(&bytes_[kBy], 40, s); }
std::string RecordingInfo::Contents() const { return GetText(&bytes_[kContents], 80); }
void RecordingInfo::SetContents(const std::string& s) { PutText(&bytes_[kContents], 80, s); }
void RecordingInfo::SetFiller(const uint8_t* six) { std::memcpy(&bytes_[kFiller], six, 6); }
int32_t RecordingInfo::Reserved204() const { return GetI32(&bytes_[kR204]); }
int32_t RecordingInfo::Reserved208() const { return GetI32(&bytes_[kR208]); }

void RecordingInfo::ReadBytes(const uint8_t* p, size_t n) {
  std::memcpy(bytes_.data(), p, std::min(n, kSize));
  // Every text ends within its field, whatever the file held.
  for (size_t end : {kNotice + 39, kDate + 9, kTime + 9, kBy + 39, kContents + 79}) bytes_[end] = 0;
}

}  // namespace nv
