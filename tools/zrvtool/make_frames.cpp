#include "tools/zrvtool/make_frames.h"

#include "container/file_block.h"
#include "tools/zrvtool/frame_encoder.h"
#include "tools/zrvtool/test_pattern.h"

std::string FrameSource::Name(uint32_t k) const {
  return m_request.fromJpegs ? "'" + m_request.jpegs[k] + "'" : "frame " + std::to_string(k);
}

bool FrameSource::Get(uint32_t k, std::vector<uint8_t>& jpeg, std::string& why) {
  if (m_request.fromJpegs) {
    FileBlock block;
    if (ReadWholeFile(m_request.jpegs[k], block) != ReadStatus::ok) {
      why = "cannot read " + Name(k);
      return false;
    }
    jpeg.assign(block.data(), block.data() + block.size());
    return true;
  }
  if (!m_scratch.made()) {
    why = "cannot make a temporary folder";
    return false;
  }
  RgbPicture picture(int(m_request.width), int(m_request.height));
  PaintTestFrame(picture, k, m_request.frames, m_request.grey);
  if (EncodeFrame(picture, int(m_request.quality), m_request.grey, m_scratch.File("frame.jpg"), jpeg))
    return true;
  why = "cannot compress " + Name(k);
  return false;
}
