#pragma once
// The 212-byte recording information that travels with a sound in its file
// ("NRn0" form): release/version, the time-expansion factor in thousandths and
// the recording texts. In memory the record is kept as its exact byte image,
// so that fields the program never interprets (the product notice, the filler
// and the two trailing values) survive reading and saving unchanged.
#include <cstddef>
#include <array>
#include <cstdint>
#include <string>

namespace nv {

class RecordingInfo {
 public:
  static constexpr size_t kSize = 212;
  static constexpr const char* kProductNotice = "Norvane (c) Quellmark";

  RecordingInfo();  // the defaults

  int32_t Release() const;
  void SetRelease(int32_t v);
  int32_t Version() const;
  void SetVersion(int32_t v);
  int32_t Build() const;
  void SetBuild(int32_t v);
  std::string ProductNotice() const;
  void SetProductNotice(const std::string& s);
  // Time-expansion factor times 1000 (1000 = none).
  int32_t TimeExpansion() const;
  void SetTimeExpansion(int32_t thousandths);
  std::string Date() const;  // at most 9 characters
  void SetDate(const std::string& s);
  std::string Time() const;  // at most 9 characters
  void SetTime(const std::string& s);
  std::string RecordedBy() const;  // at most 39 characters
  void SetRecordedBy(const std::string& s);
  std::string Contents() const;  // at most 79 characters
  void SetContents(const std::string& s);
  // Offset 66: 6 filler bytes.
  void SetFiller(const uint8_t* six);
  int32_t Reserved204() const;
  int32_t Reserved208() const;

  const std::array<uint8_t, kSize>& Bytes() const { return bytes_; }
  // Overwrites the first `n` bytes (at most kSize) from `p`.
  void ReadBytes(const uint8_t* p, size_t n);

 private:
  std::array<uint8_t, kSize> bytes_{};
};

}  // namespace nv
