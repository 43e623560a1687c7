#include "player/temp_dir.h"

#include <cstdlib>
#include <filesystem>

std::string ReadTempDir() {
  for (const char* name : {"TMP", "TMPDIR"}) {
    const char* value = std::getenv(name);
    if (value && *value) return value;
  }
  return "/tmp";
}

PrivateTempDir::~PrivateTempDir() { Remove(); }

bool PrivateTempDir::Create(const std::string& base) {
  Remove();
  std::string pattern = base + "/zrvplayer.XXXXXX";
  if (!::mkdtemp(pattern.data())) return false;  // mkdtemp makes it 0700
  m_path = pattern;
  return true;
}

void PrivateTempDir::Remove() {
  if (m_path.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(m_path, ignored);
  m_path.clear();
}
