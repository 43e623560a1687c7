// The frames that zrvtool make writes: synthetic ones, or JPEG files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/zrvtool/make_request.h"
#include "container/private_folder.h"

class FrameSource {
 public:
  explicit FrameSource(const MakeRequest& request) : m_request(request) {}

  // How messages name frame k: its file, or its number.
  std::string Name(uint32_t k) const;
  // The JPEG stream of frame k; false, with `why` set, when there is none.
  bool Get(uint32_t k, std::vector<uint8_t>& jpeg, std::string& why);

 private:
  const MakeRequest& m_request;
  PrivateFolder m_scratch;  // where the JPEG writer writes
};
