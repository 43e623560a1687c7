// A file written under a hidden name beside its destination, which takes the
// destination's name only when it is complete: a failure, a cancel or an
// interruption leaves no partial file, and whatever stood there before stays
// as it was until it is replaced whole. zrvtool's outputs, the export and the
// import all write this way.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>

// What a failed Create or Publish ran into, for callers that word it
// themselves; the error sentence says the same in English.
enum class PendingProblem {
  none,
  isFolder,           // the destination is a folder
  exists,             // the destination exists and replacing was not asked
  folderNotWritable,  // no hidden file can be made in the folder
  cannotWrite,        // the bytes did not all reach the file
  cannotName,         // the finished file cannot take the destination's name
};

struct PendingFailure {
  PendingProblem problem = PendingProblem::none;
  std::string path;    // the destination, or its folder for folderNotWritable
  std::string reason;  // the system's reason, when it gave one
};

class PendingFile {
 public:
  PendingFile() = default;
  // Create(destination, true, ...) for the programs that replace their
  // output without asking; opened() tells whether it worked.
  explicit PendingFile(const std::string& destination);
  // Removes the hidden file unless Publish has renamed it.
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // Makes the hidden file beside `destination`. Without `replace` an
  // existing destination is refused; a folder always is. On failure `error`
  // says why in a sentence.
  bool Create(const std::string& destination, bool replace, std::string& error);

  bool opened() const { return !m_path.empty(); }
  const PendingFailure& failure() const { return m_failure; }
  // The hidden file, for writers that open it by name themselves.
  const std::string& path() const { return m_path; }
  const std::string& destination() const { return m_destination; }
  // Bytes given to Write so far.
  uint64_t size() const { return m_size; }

  bool Write(const uint8_t* data, size_t size);
  // Flushes and closes what Write wrote; false when the bytes did not all
  // reach the file.
  bool Close();
  // A new descriptor of the hidden file, open for reading, for reading it
  // back after Close; the caller closes it. -1 when there is none.
  int DuplicateDescriptor() const;

  // Renames the finished file to the destination, first giving it
  // `modified` as its modification time when that is set. Without
  // `replace`, a file that took the name meanwhile is not replaced.
  bool Publish(std::string& error, const timespec* modified = nullptr);
  bool Publish() {
    std::string ignored;
    return Publish(ignored);
  }

 private:
  // Records the failure and words it into `error`; returns false.
  bool Fail(PendingProblem problem, const std::string& path, std::string reason, std::string& error);

  std::string m_destination;
  std::string m_path;
  int m_fd = -1;                  // the hidden file until Write opens m_stream on it
  std::FILE* m_stream = nullptr;
  bool m_replace = false;
  bool m_failed = false;          // a write went wrong
  uint64_t m_size = 0;
  PendingFailure m_failure;
};

// True when `a` and `b` name one existing file (links included).
bool SameExistingFile(const std::string& a, const std::string& b);
