// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "container/clip_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "container/frame_index.h"
#include "container/jpeg_header.h"

namespace {

constexpr uint8_t kStartOfImage[2] = {0xFF, 0xD8};
// One table entry is the end marker.
constexpr uint32_t kMaxFrames = MAX_FRAME_OFFSETS - 1;

// The written clip mapped into memory for the scan, so that reading back a
// long clip costs no copy of it. Mapped from the descriptor that wrote it,
// not reopened by name: it may have no name yet, and a confined writer may
// open nothing.
class MappedFile {
 public:
  explicit MappedFile(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size > 0) {
      void* map = ::mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
      if (map != MAP_FAILED) {
        m_data = static_cast<const uint8_t*>(map);
        m_size = size_t(st.st_size);
      }
    }
  }
  ~MappedFile() {
    if (m_data) ::munmap(const_cast<uint8_t*>(m_data), m_size);
  }
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  const uint8_t* data() const { return m_data; }
  size_t size() const { return m_size; }

 private:
  const uint8_t* m_data = nullptr;
  size_t m_size = 0;
};

}  // namespace

namespace {

// The system's reason goes with the failure (a full disk, a size limit);
// read right after the write or close that failed.
std::string CannotWrite(const std::string& destination) {
  const int error = errno;
  return "cannot write '" + destination + "'" + (error ? std::string(": ") + std::strerror(error) : "");
}

}  // namespace

bool ClipWriter::Create(const std::string& destination, ClipLayout layout, bool replace,
                        std::string& error) {
  m_layout = layout;
  return m_file.Create(destination, replace, error);
}

bool ClipWriter::Fail(const std::string& message, std::string& why) {
  why = message;
  return false;
}

bool ClipWriter::AddFrame(const uint8_t* jpeg, size_t size, const FrameNamer& name,
                          std::string& why) {
  const uint32_t k = frames();
  if (k == kMaxFrames)
    return Fail("a clip holds at most " + std::to_string(kMaxFrames) + " frames", why);
  const size_t header = JpegHeaderLength(jpeg, size);
  if (header == 0) return Fail(name(k) + " is not a JPEG stream", why);
  if (m_file.size() + size > UINT32_MAX)
    return Fail("the clip would be 4 GiB or more, more than a player can index", why);
  m_frameOffsets.push_back(uint32_t(m_file.size()));
  bool written;
  if (k == 0) {
    m_firstHeader.assign(jpeg, jpeg + header);
    written = m_file.Write(jpeg, size);
  } else if (m_layout == ClipLayout::plain) {
    written = m_file.Write(jpeg, size);
  } else {
    // Later frames keep their FF D8 and lose the header in front of their scan.
    if (header != m_firstHeader.size() || !std::equal(m_firstHeader.begin(), m_firstHeader.end(), jpeg))
      return Fail(name(k) + " does not share the header of " + name(0) +
                      " (the shared-header layout needs one size and one set of tables)",
                  why);
    written = m_file.Write(kStartOfImage, 2) && m_file.Write(jpeg + header, size - header);
  }
  if (!written) return Fail(CannotWrite(m_file.destination()), why);
  return true;
}

bool ClipWriter::Finish(const std::vector<uint8_t>& track, const FrameNamer& name,
                        std::string& why) {
  if (m_file.size() + track.size() > UINT32_MAX)
    return Fail("the clip would be 4 GiB or more, more than a player can index", why);
  m_hasSound = !track.empty();
  m_audioStart = uint32_t(m_file.size());
  if (!m_file.Write(track.data(), track.size()) || !m_file.Flush())
    return Fail(CannotWrite(m_file.destination()), why);
  MappedFile clip(m_file.fd());
  if (!clip.data()) return Fail("cannot read the clip back", why);
  FrameIndex index;
  BuildFrameIndex(clip.data(), uint32_t(clip.size()), index);
  const std::vector<uint32_t>& offsets = m_frameOffsets;
  // The frame that holds byte `at` of the clip.
  auto frameAt = [&](uint32_t at) {
    return uint32_t(std::upper_bound(offsets.begin(), offsets.end(), at) - offsets.begin()) - 1;
  };
  if (index.hasSound && (!m_hasSound || index.audioStart != m_audioStart))
    return Fail(name(frameAt(index.audioStart)) +
                    " holds the text \"#!AMR\", which a player takes for the start of the sound track",
                why);
  const size_t starts = std::max<size_t>(offsets.size(), index.frameCount);
  for (uint32_t k = 0; k < starts; ++k) {
    if (k < index.frameCount && k < offsets.size() && index.frameOffsets[k] == offsets[k]) continue;
    if (k >= index.frameCount)
      return Fail("a player finds only " + std::to_string(index.frameCount) + " frames in it", why);
    // A frame start that is not one of ours lies inside one of our frames.
    return Fail(name(frameAt(index.frameOffsets[k])) +
                    " holds the bytes FF D8 inside it (an embedded thumbnail?), which a player "
                    "takes for the start of another frame",
                why);
  }
  const bool shared = m_layout == ClipLayout::sharedHeader && offsets.size() > 1;
  if (index.sharedHeader != shared)
    return Fail(shared ? "the first frame has no header in front of its scan, so there is nothing "
                         "to share"
                       : name(0) + " and " + name(1) +
                             " begin with different segments, so a player would take the clip "
                             "for the shared-header layout",
                why);
  if (shared && index.headerLength != m_firstHeader.size())
    return Fail("the header of " + name(0) +
                    " holds the bytes FF DA in front of its scan, so a player would cut the "
                    "shared header short",
                why);
  if (index.hasSound != m_hasSound) return Fail("a player would not find the sound track", why);
  return true;
}
