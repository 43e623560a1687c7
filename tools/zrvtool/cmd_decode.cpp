// zrvtool decode: one frame of a clip decoded the way the player shows it,
// written as a PPM picture.
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "container/frame_file.h"
#include "image/image.h"
#include "image/pixmap_file.h"
#include "tools/zrvtool/commands.h"

namespace {

// A private folder for the frame file, removed with it at the end.
class PrivateTempDir {
 public:
  PrivateTempDir() {
    const char* base = std::getenv("TMP");
    if (!base || !*base) base = std::getenv("TMPDIR");
    if (!base || !*base) base = "/tmp";
    std::string pattern = std::string(base) + "/zrvtool.XXXXXX";
    if (::mkdtemp(pattern.data())) m_path = pattern;
  }
  ~PrivateTempDir() {
    if (m_path.empty()) return;
    ::unlink(FramePath().c_str());
    ::rmdir(m_path.c_str());
  }
  PrivateTempDir(const PrivateTempDir&) = delete;
  PrivateTempDir& operator=(const PrivateTempDir&) = delete;

  bool made() const { return !m_path.empty(); }
  const std::string& path() const { return m_path; }
  std::string FramePath() const { return m_path + "/zrvplayer_tmp.jpg"; }

 private:
  std::string m_path;
};

int RunDecode(int argc, char** argv) {
  if (argc != 4) return UsageError(kDecodeCommand, "expected FILE K OUT.ppm");
  uint32_t k = 0;
  if (!ParseUint32(argv[2], k)) return UsageError(kDecodeCommand, "K must be a frame number");

  LoadedClip clip;
  if (!LoadClip(argv[1], clip)) return kExitRefused;
  if (k >= clip.index.frameCount)
    return Refuse("frame " + std::to_string(k) + " is out of range (the clip has " +
                  std::to_string(clip.index.frameCount) + " frames)");

  PrivateTempDir temp;
  if (!temp.made()) return Refuse("cannot make a temporary folder");
  if (!WriteFrameFile(clip.bytes.data(), clip.index, k, temp.FramePath()))
    return Refuse("cannot write the frame file in '" + temp.path() + "'");

  CImage image(temp.FramePath(), IMAGE_JPG);
  if (image.GetWidth() == 0 || image.GetHeight() == 0)
    return Refuse("frame " + std::to_string(k) + " does not decode");
  if (!WritePixmapFile(image, argv[3])) return Refuse(std::string("cannot write '") + argv[3] + "'");
  return kExitOk;
}

}  // namespace

const Command kDecodeCommand = {"decode", "FILE K OUT.ppm",
                                "decode frame K as the player shows it and write it as a PPM",
                                RunDecode};
