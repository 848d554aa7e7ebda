#pragma once
// A per-document temporary file (work, clip or undo file) with its mapping.
// The file is created with mkstemp in the temporary directory and unlinked at
// once, so nothing is left behind even after a crash; it lives as long as its
// descriptor. The whole file can be mapped; a mapping covers the size at the
// time it was made and must be released before the length changes.
// Interface thread only (a worker may read through an existing mapping).
#include <cstddef>
#include <cstdint>
#include <string>

namespace nv {

// $TMPDIR when it names a writable directory, else /var/tmp, else /tmp.
std::string TemporaryDirectory();
// The text of the last system error (errno).
std::string SystemErrorText(int err);
// Shows the message of a failed write to a document's temporary files.
void ShowWorkFileWriteError();

class TempFile {
 public:
  TempFile() = default;
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  // Creates the file "<dir>/<prefix>XXXXXX"; false (errno set) on failure.
  bool Create(const std::string& prefix);
  void Close();

  bool IsOpen() const { return fd_ >= 0; }
  int Fd() const { return fd_; }
  const std::string& Name() const { return name_; }
  int64_t Size() const;
  // Changes the length; releases the mapping first.
  bool Truncate(int64_t bytes);
  // Writes at an absolute offset; false on a short write.
  bool WriteAt(int64_t offset, const void* data, size_t n);

  // Maps the whole file; returns the base or null (errno set). An existing
  // mapping is returned as it is unless a writable one is asked for over a
  // read-only mapping, which is then remade. An empty file yields a valid
  // base of no bytes.
  uint8_t* Map(bool readOnly);
  void Unmap();
  bool IsMapped() const { return base_ != nullptr; }
  int64_t MappedSize() const { return mappedSize_; }

 private:
  int fd_ = -1;
  std::string name_;
  uint8_t* base_ = nullptr;
  int64_t mappedSize_ = 0;
  bool mappedReadOnly_ = true;
};

}  // namespace nv
