// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// zrvtool thumbnail, run as a file manager runs it: through the thumbnailer
// entry that the player writes at start, its Exec line parsed by the
// desktop-entry rules. The PNG is read back by ImageMagick and compared with
// the chosen frame decoded in full colour and scaled by ImageMagick.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <algorithm>
#include <sstream>
#include <string>
#include <vector>
#include <fcntl.h>
#include <unistd.h>

#include "desktop/desktop_integration.h"
#include "tests/image/picture_files.h"
#include "tests/support/test_support.h"

namespace {

std::string Zrvtool() { return BuiltProgram("zrvtool"); }

std::string Text(const std::string& path) {
  const Bytes b = ReadFile(path);
  return std::string(b.begin(), b.end());
}

// The value of `key` in a desktop-entry style file, with the string escapes
// (\s \n \t \r \\) undone.
std::string Value(const std::string& file, const std::string& key) {
  std::istringstream lines(Text(file));
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(key + "=", 0) != 0) continue;
    std::string raw = line.substr(key.size() + 1), value;
    for (size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] != '\\' || i + 1 == raw.size()) {
        value += raw[i];
        continue;
      }
      const char c = raw[++i];
      value += c == 's' ? ' ' : c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
    }
    return value;
  }
  return {};
}

// Splits an Exec value into arguments (double quotes group, and inside them a
// backslash escapes the next character) and expands the thumbnailer's field
// codes, as a file manager does.
std::vector<std::string> ExpandExec(const std::string& exec, const std::string& size,
                                    const std::string& input, const std::string& output) {
  std::vector<std::string> args;
  std::string current;
  bool inArgument = false, quoted = false;
  for (size_t i = 0; i < exec.size(); ++i) {
    const char c = exec[i];
    if (quoted) {
      if (c == '\\' && i + 1 < exec.size()) current += exec[++i];
      else if (c == '"') quoted = false;
      else current += c;
    } else if (c == '"') {
      quoted = inArgument = true;
    } else if (c == ' ') {
      if (inArgument) args.push_back(current);
      current.clear();
      inArgument = false;
    } else if (c == '%' && i + 1 < exec.size()) {
      const char code = exec[++i];
      current += code == 's' ? size : code == 'i' ? input : code == 'o' ? output : std::string(1, code);
      inArgument = true;
    } else {
      current += c;
      inArgument = true;
    }
  }
  if (inArgument) args.push_back(current);
  return args;
}

TestPicture Opaque(const RgbaPicture& p) {
  TestPicture out{p.width, p.height, {}};
  for (size_t i = 0; i + 3 < p.rgba.size(); i += 4)
    out.rgb.insert(out.rgb.end(), {p.rgba[i], p.rgba[i + 1], p.rgba[i + 2]});
  return out;
}

double MeanDifference(const TestPicture& a, const TestPicture& b) {
  if (a.width != b.width || a.height != b.height || a.rgb.empty()) return 1e9;
  double total = 0;
  for (size_t i = 0; i < a.rgb.size(); ++i) total += std::abs(int(a.rgb[i]) - int(b.rgb[i]));
  return total / double(a.rgb.size());
}

class ZrvtoolThumbnail : public ::testing::Test {
 protected:
  // Frame k of `clip` in full colour, scaled to width x height by ImageMagick.
  TestPicture Reference(const std::string& clip, int k, int width, int height) {
    const std::string jpeg = m_dir.File("ref" + std::to_string(k) + ".jpg");
    const std::string scaled = m_dir.File("ref" + std::to_string(k) + ".png");
    EXPECT_EQ(RunProgram({Zrvtool(), "frame", clip, std::to_string(k), jpeg}).exitCode, 0);
    Convert({jpeg, "-resize", std::to_string(width) + "x" + std::to_string(height) + "!", scaled});
    return Opaque(DecodeWithConvert(scaled));
  }

  // Checks that `png` shows frame `shown` of `clip`: close to it, and much
  // closer to it than to frame `other`.
  void ExpectShows(const std::string& png, const std::string& clip, int shown, int other) {
    const TestPicture thumb = Opaque(DecodeWithConvert(png));
    const double near = MeanDifference(thumb, Reference(clip, shown, thumb.width, thumb.height));
    const double far = MeanDifference(thumb, Reference(clip, other, thumb.width, thumb.height));
    EXPECT_LT(near, 6.0) << "frame " << shown;
    EXPECT_LT(near * 4, far) << "frame " << shown << " against frame " << other;
  }

  std::string Blank(const char* colour) {
    const std::string path = m_dir.File(std::string(colour) + ".jpg");
    Convert({"-size", "176x144", std::string("xc:") + colour, "-quality", "90", path});
    return path;
  }

  TempDir m_dir;
};

TEST_F(ZrvtoolThumbnail, TheEntryWrittenAtStartMakesThePreviewAFileManagerAsksFor) {
  // A player and its zrvtool in a folder whose name needs quoting.
  const std::string folder = m_dir.File("Program Files \"ZRV\" $1");
  std::filesystem::create_directories(folder);
  std::filesystem::create_symlink(Zrvtool(), folder + "/zrvtool");
  const std::string share = m_dir.File("share");
  WriteFileAssociation(share, folder + "/zrvplayer", m_dir.File("no icons"));

  const std::string entry = share + "/thumbnailers/zrvplayer.thumbnailer";
  ASSERT_TRUE(FileExists(entry));
  EXPECT_EQ(Text(entry).rfind("[Thumbnailer Entry]\n", 0), 0u);
  EXPECT_EQ(Value(entry, "TryExec"), folder + "/zrvtool");
  EXPECT_EQ(Value(entry, "MimeType"), "video/x-zrv;video/x-gzrv;");

  const std::string clip = m_dir.File("holiday clip.zrv");
  ASSERT_EQ(RunProgram({Zrvtool(), "make", "--frames", "12", clip}).exitCode, 0);
  const std::string png = m_dir.File("thumb.png");
  const std::vector<std::string> args = ExpandExec(Value(entry, "Exec"), "128", clip, png);
  ASSERT_EQ(args.size(), 6u);
  EXPECT_EQ(args[0], folder + "/zrvtool");
  const ProgramResult r = RunProgram(args);
  ASSERT_EQ(r.exitCode, 0) << r.err;

  // 176 x 144 fitted into 128 x 128.
  const RgbaPicture picture = DecodeWithConvert(png);
  EXPECT_EQ(picture.width, 128);
  EXPECT_EQ(picture.height, 105);
  ExpectShows(png, clip, 0, 3);

  // Without a zrvtool beside the player, no entry is written.
  const std::string bare = m_dir.File("share2");
  WriteFileAssociation(bare, m_dir.File("zrvplayer"), m_dir.File("no icons"));
  EXPECT_FALSE(FileExists(bare + "/thumbnailers/zrvplayer.thumbnailer"));
}

TEST_F(ZrvtoolThumbnail, FitsAnySizeKeepingTheAspectInFullColour) {
  const std::string clip = m_dir.File("tall.zrv");
  ASSERT_EQ(RunProgram({Zrvtool(), "make", "--frames", "4", "--size", "96x160", clip}).exitCode, 0);
  const struct {
    std::vector<std::string> size;
    int width, height;
  } cases[] = {{{}, 154, 256}, {{"-s", "64"}, 38, 64}, {{"-s", "400"}, 240, 400}};
  for (const auto& c : cases) {
    std::vector<std::string> args = {Zrvtool(), "thumbnail"};
    args.insert(args.end(), c.size.begin(), c.size.end());
    args.insert(args.end(), {clip, m_dir.File("t.png")});
    const ProgramResult r = RunProgram(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const RgbaPicture p = DecodeWithConvert(m_dir.File("t.png"));
    EXPECT_EQ(p.width, c.width);
    EXPECT_EQ(p.height, c.height);
    ExpectShows(m_dir.File("t.png"), clip, 0, 2);
  }
}

TEST_F(ZrvtoolThumbnail, PassesOverBlankAndBrokenFrames) {
  // Frames 0 and 1 black and white, then the colour bars of a synthetic clip.
  const std::string bars = m_dir.File("bars.zrv");
  ASSERT_EQ(RunProgram({Zrvtool(), "make", "--frames", "4", "--quality", "90", bars}).exitCode, 0);
  std::vector<std::string> jpegs;
  for (int k = 0; k < 4; ++k) {
    jpegs.push_back(m_dir.File("bars" + std::to_string(k) + ".jpg"));
    ASSERT_EQ(RunProgram({Zrvtool(), "frame", bars, std::to_string(k), jpegs.back()}).exitCode, 0);
  }
  const std::string clip = m_dir.File("dark start.zrv");
  ProgramResult r = RunProgram({Zrvtool(), "make", "--jpegs", Blank("black"), Blank("white"),
                                jpegs[1], jpegs[2], clip});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  ASSERT_EQ(RunProgram({Zrvtool(), "thumbnail", clip, m_dir.File("t.png")}).exitCode, 0);
  ExpectShows(m_dir.File("t.png"), clip, 2, 3);

  // Only blank frames: the first one.
  const std::string dark = m_dir.File("dark.zrv");
  ASSERT_EQ(RunProgram({Zrvtool(), "make", "--jpegs", Blank("black"), Blank("white"), dark}).exitCode, 0);
  ASSERT_EQ(RunProgram({Zrvtool(), "thumbnail", dark, m_dir.File("d.png")}).exitCode, 0);
  ExpectShows(m_dir.File("d.png"), dark, 0, 1);

  // A first frame that does not decode: its frame header says 0 columns.
  Bytes bytes = ReadFile(bars);
  size_t sof = 2;
  while (sof + 8 < bytes.size() && !(bytes[sof] == 0xFF && bytes[sof + 1] == 0xC0)) ++sof;
  ASSERT_LT(sof + 8, bytes.size());
  bytes[sof + 7] = bytes[sof + 8] = 0;
  const std::string broken = m_dir.File("broken.zrv");
  WriteFile(broken, bytes);
  ASSERT_EQ(RunProgram({Zrvtool(), "thumbnail", broken, m_dir.File("b.png")}).exitCode, 0);
  ExpectShows(m_dir.File("b.png"), broken, 1, 2);
}

TEST_F(ZrvtoolThumbnail, RefusalsLeaveTheOutputAlone) {
  const std::string clip = m_dir.File("a.zrv");
  ASSERT_EQ(RunProgram({Zrvtool(), "make", "--frames", "2", clip}).exitCode, 0);
  const std::string out = m_dir.File("out.png");
  WriteFile(out, {'o', 'l', 'd'});

  for (const std::vector<std::string>& usage : std::vector<std::vector<std::string>>{
           {clip}, {"-s", "0", clip, out}, {"-s", "4097", clip, out}, {"-s", "x", clip, out},
           {clip, out, "more"}, {"--quick", clip, out}, {clip, out, "-s"}}) {
    std::vector<std::string> args = {Zrvtool(), "thumbnail"};
    args.insert(args.end(), usage.begin(), usage.end());
    const ProgramResult r = RunProgram(args);
    EXPECT_EQ(r.exitCode, 2) << usage.back();
    EXPECT_NE(r.err.find("usage"), std::string::npos) << r.err;
  }

  // Not a clip, a missing clip, a clip of which no frame decodes, an output
  // folder that does not exist, the clip itself as the output.
  WriteFile(m_dir.File("notes.zrv"), {'h', 'i'});
  Bytes noise = {0xFF, 0xD8, 0xFF, 0xD9, 0xFF, 0xD8, 0x00, 0x01};
  WriteFile(m_dir.File("noise.zrv"), noise);
  for (const auto& [in, to] : std::vector<std::pair<std::string, std::string>>{
           {m_dir.File("notes.zrv"), out}, {m_dir.File("missing.zrv"), out},
           {m_dir.File("noise.zrv"), out}, {clip, m_dir.File("no/such/folder.png")}, {clip, clip}}) {
    const ProgramResult r = RunProgram({Zrvtool(), "thumbnail", in, to});
    EXPECT_EQ(r.exitCode, 1) << in << " " << to;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  }
  EXPECT_EQ(ReadFile(out), (Bytes{'o', 'l', 'd'}));
  EXPECT_GT(ReadFile(clip).size(), 1000u);
}

}  // namespace

namespace {

// As tumbler runs a thumbnailer: it makes the output file, keeps it open,
// and reads the picture back through that same descriptor once the command
// has ended. A picture renamed over the path would leave it reading an
// empty file.
TEST_F(ZrvtoolThumbnail, ThePictureGoesIntoTheFileTheCallerHoldsOpen) {
  const std::string clip = m_dir.File("a.zrv");
  ASSERT_EQ(RunProgram({Zrvtool(), "make", "--frames", "3", clip}).exitCode, 0);
  const std::string out = m_dir.File("tumbler-XXXXXX.png");
  const int fd = ::open(out.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  ASSERT_GE(fd, 0);
  const ProgramResult r = RunProgram({Zrvtool(), "thumbnail", "-s", "128", clip, out});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  Bytes held;
  uint8_t buffer[4096];
  for (ssize_t n; (n = ::pread(fd, buffer, sizeof buffer, off_t(held.size()))) > 0;)
    held.insert(held.end(), buffer, buffer + n);
  ::close(fd);
  const Bytes signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  ASSERT_GT(held.size(), signature.size());
  EXPECT_TRUE(Bytes(held.begin(), held.begin() + 8) == signature);
  EXPECT_TRUE(held == ReadFile(out));
  EXPECT_EQ(DecodeWithConvert(out).width, 128);
}

}  // namespace
