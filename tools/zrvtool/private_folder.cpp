#include "tools/zrvtool/private_folder.h"

#include <cstdlib>
#include <filesystem>

PrivateFolder::PrivateFolder() {
  std::string base = "/tmp";
  for (const char* name : {"TMP", "TMPDIR"}) {
    const char* value = std::getenv(name);
    if (value && *value) {
      base = value;
      break;
    }
  }
  std::string pattern = base + "/zrvtool.XXXXXX";
  if (::mkdtemp(pattern.data())) m_path = pattern;
}

PrivateFolder::~PrivateFolder() {
  std::error_code ignored;
  if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
}
