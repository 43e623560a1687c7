// The exported file is written under a hidden temporary name in the target
// folder and takes its own name only when complete: a failure, a cancel or
// an interruption leaves no partial file, and an existing file stays as it
// was until it is replaced whole.
#pragma once

#include <ctime>
#include <string>

#include "export/export_failure.h"

class OutputFile {
 public:
  // Removes the temporary file unless Publish has renamed it.
  ~OutputFile();

  // Checks that `destination` may be written (it is not the clip, and it
  // does not exist unless `force`) and makes the temporary file beside it.
  // On failure `failure` says why.
  bool Create(const std::string& destination, const std::string& clipPath, bool force,
              ExportFailure& failure);
  const std::string& temporaryPath() const { return m_temporary; }

  // Gives the finished file `modified` as its modification time and renames
  // it to the destination (refusing, without force, a file that appeared
  // there meanwhile). On failure the temporary file is removed.
  bool Publish(const timespec& modified, ExportFailure& failure);

 private:
  std::string m_destination;
  std::string m_temporary;
  bool m_force = false;
};

// True when `a` and `b` name one existing file.
bool SameExistingFile(const std::string& a, const std::string& b);
