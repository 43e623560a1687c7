// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// A file written out of sight of its destination, which takes the
// destination's name only when it is complete: a failure, a cancel or an
// interruption leaves no partial file, and whatever stood there before stays
// as it was until it is replaced whole. zrvtool's outputs, the export and the
// import all write this way.
//
// Where the file system can, the file has no name at all until it is
// published (O_TMPFILE), so that even SIGKILL leaves nothing; elsewhere it is
// a hidden ".NAME.XXXXXX" beside the destination. Publishing is durable: the
// file's bytes and then its name reach the disk before Publish returns.
//
// Create opens everything Publish needs (the file and its folder): a process
// that gives up the right to open files once its output is open can still
// publish it.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

// What a failed Create or Publish ran into, for callers that word it
// themselves; the error sentence says the same in English.
enum class PendingProblem {
  none,
  isFolder,           // the destination is a folder
  exists,             // the destination exists and replacing was not asked
  folderNotWritable,  // no pending file can be made in the folder
  cannotWrite,        // the bytes did not all reach the file
  cannotName,         // the finished file cannot take the destination's name
};

struct PendingFailure {
  PendingProblem problem = PendingProblem::none;
  std::string path;    // the destination, or its folder for folderNotWritable
  std::string reason;  // the system's reason, when it gave one
};

// How the pending file exists until it is published.
enum class PendingKind {
  unnamed,  // no name in the folder (O_TMPFILE); nothing is left if the process dies
  hidden,   // ".NAME.XXXXXX" beside the destination
};

class PendingFile {
 public:
  PendingFile() = default;
  // Create(destination, true, ...) for the programs that replace their
  // output without asking; opened() tells whether it worked.
  explicit PendingFile(const std::string& destination);
  // Drops the pending file unless Publish has named it.
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // Makes the pending file in the folder of `destination`. Without
  // `replace` an existing destination is refused; a folder always is. On
  // failure `error` says why in a sentence. `kind` is what is tried first;
  // an unnamed file falls back to a hidden one where the file system has no
  // O_TMPFILE.
  bool Create(const std::string& destination, bool replace, std::string& error,
              PendingKind kind = PendingKind::unnamed);

  bool opened() const { return m_fd >= 0; }
  PendingKind kind() const { return m_kind; }
  const PendingFailure& failure() const { return m_failure; }
  // The file, open for reading and writing, for writers that write through
  // it themselves (at any position); it stays open until Publish.
  int fd() const { return m_fd; }
  // A name that opens the pending file while this object lives, for writers
  // that open it by name: /proc/self/fd/N for an unnamed file.
  const std::string& path() const { return m_path; }
  const std::string& destination() const { return m_destination; }
  // Bytes given to Write so far.
  uint64_t size() const { return m_size; }

  // Appends to the file through a buffer of its own.
  bool Write(const uint8_t* data, size_t size);
  // Empties Write's buffer into the file; false when the bytes did not all
  // reach it. The file stays open.
  bool Flush();

  // Gives the finished file the destination's name, first giving it
  // `modified` as its modification time when that is set, and makes the
  // bytes and the name durable. Without `replace`, a file that took the name
  // meanwhile is not replaced.
  bool Publish(std::string& error, const timespec* modified = nullptr);
  bool Publish() {
    std::string ignored;
    return Publish(ignored);
  }

 private:
  // Records the failure and words it into `error`; returns false.
  bool Fail(PendingProblem problem, const std::string& path, std::string reason, std::string& error);
  bool OpenUnnamed();
  bool OpenHidden();
  // A fresh ".NAME.XXXXXX" for the destination.
  std::string HiddenName();
  // Links the unnamed file to the destination's name; 0 or an errno.
  int LinkUnnamed();
  // Renames the hidden file to the destination's name; 0 or an errno.
  int RenameHidden();
  void Drop();

  std::string m_destination;
  std::string m_name;        // the destination's last component
  std::string m_hiddenName;  // the hidden file's name in the folder; empty when unnamed
  std::string m_path;
  int m_folderFd = -1;
  bool m_folderSyncable = false;  // the folder could be opened for reading, which fsync needs
  int m_fd = -1;
  PendingKind m_kind = PendingKind::unnamed;
  bool m_replace = false;
  bool m_failed = false;  // a write went wrong
  int m_writeErrno = 0;
  uint64_t m_size = 0;
  uint64_t m_nameSeed = 0;
  std::vector<uint8_t> m_buffer;
  PendingFailure m_failure;
};

// True when `a` and `b` name one existing file (links included).
bool SameExistingFile(const std::string& a, const std::string& b);
