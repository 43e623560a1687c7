// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Takes the two build-time stamps out of a help file that chmcmd compiled:
// the one in the file's header and the one among the #SYSTEM records. With
// them cleared (and chmcmd run without address randomisation, which it
// otherwise lets into the file), one release's sources give the same help
// file byte for byte, whenever and wherever it is built.
//   zrv_chm_undate FILE.chm
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: zrv_chm_undate FILE.chm\n");
    return 2;
  }
  std::string bytes;
  {
    std::ifstream in(argv[1], std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  constexpr size_t kHeaderStamp = 16;  // after "ITSF", the version and the header's length
  if (bytes.size() < kHeaderStamp + 4 || bytes.compare(0, 4, "ITSF") != 0) {
    std::fprintf(stderr, "zrv_chm_undate: '%s' is no help file\n", argv[1]);
    return 1;
  }
  std::memset(&bytes[kHeaderStamp], 0, 4);

  // The #SYSTEM record of code 10 (4 bytes of time), which chmcmd writes just
  // before the record of code 9 that names the compiler version.
  const std::string before("\x0a\x00\x04\x00", 4);
  const std::string after = std::string("\x09\x00", 2);
  size_t stamps = 0;
  for (size_t at = bytes.find(before); at != std::string::npos; at = bytes.find(before, at + 1)) {
    const size_t next = at + before.size() + 4;
    if (bytes.compare(next, after.size(), after) != 0 ||
        bytes.compare(next + after.size() + 2, 11, "HHA Version") != 0)
      continue;
    std::memset(&bytes[at + before.size()], 0, 4);
    ++stamps;
  }
  if (stamps != 1) {
    std::fprintf(stderr, "zrv_chm_undate: '%s' has %zu #SYSTEM time stamps, not one\n", argv[1], stamps);
    return 1;
  }
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return out ? 0 : 1;
}
