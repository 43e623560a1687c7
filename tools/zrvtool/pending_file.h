// A file written under a hidden name beside its destination, which takes the
// destination's name only when it is complete, so that a failure leaves
// whatever stood there before as it was.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

class PendingFile {
 public:
  explicit PendingFile(const std::string& destination);
  // Removes the hidden file unless Publish has renamed it.
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  bool opened() const { return m_stream != nullptr; }
  const std::string& path() const { return m_path; }
  uint64_t size() const { return m_size; }

  bool Write(const uint8_t* data, size_t size);
  // Flushes and closes; false when the bytes did not all reach the file.
  bool Close();
  // Renames the closed file to the destination.
  bool Publish();

 private:
  std::string m_destination;
  std::string m_path;
  std::FILE* m_stream = nullptr;
  uint64_t m_size = 0;
};
