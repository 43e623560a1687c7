// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "desktop/desktop_integration.h"

#include <cstdio>
#include <fcntl.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {

// Icon file names: the program's own, and the two document types.
struct IconName {
  const char* source;  // PNG in the icon source folder, per size
  const char* context;
  const char* installed;
};
constexpr IconName kIcons[] = {
    {"128.png", "apps", "zrvplayer.png"},
    {"151.png", "mimetypes", "video-x-zrv.png"},
    {"150.png", "mimetypes", "video-x-gzrv.png"},
};

bool WriteAtomically(const fs::path& path, const std::string& contents) {
  std::error_code error;
  fs::create_directories(path.parent_path(), error);
  if (error) return false;
  const fs::path temporary = path.string() + ".new";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << contents;
    out.flush();
    if (!out) {
      fs::remove(temporary, error);
      return false;
    }
  }
  fs::rename(temporary, path, error);
  if (error) fs::remove(temporary, error);
  return !error;
}

bool CopyAtomically(const fs::path& from, const fs::path& to) {
  std::ifstream in(from, std::ios::binary);
  if (!in) return false;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return WriteAtomically(to, bytes);
}

// A value of the desktop-entry string type: backslash and the control
// characters escaped, a leading blank kept as \s.
std::string EscapeString(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') out += "\\\\";
    else if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else if (c == '\r') out += "\\r";
    else out += c;
  }
  if (!out.empty() && out[0] == ' ') out.replace(0, 1, "\\s");
  return out;
}

std::string DesktopEntry(const std::string& executable) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=ZRV Player\n"
         "GenericName=Video Player\n"
         "GenericName[zh_CN]=视频播放器\n"
         "Comment=Play ZRV clips from camera phones\n"
         "Comment[zh_CN]=播放手机拍摄的ZRV视频\n"
         "TryExec=" + EscapeString(executable) + "\n"
         "Exec=" + DesktopExecLine(executable) + "\n"
         "Icon=zrvplayer\n"
         "Terminal=false\n"
         "Categories=AudioVideo;Video;Player;\n"
         "Keywords=zrv;gzrv;clip;movie;camera;phone;\n"
         "Keywords[zh_CN]=视频;手机;录像;\n"
         "MimeType=video/x-zrv;video/x-gzrv;\n";
}

// Clips are videos: players and file managers that take video/* pass other
// types over. The application/ names of earlier releases stay as aliases,
// so that associations made with them keep working.
std::string MimePackage() {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
         "  <mime-type type=\"video/x-zrv\">\n"
         "    <comment>ZRV clip</comment>\n"
         "    <comment xml:lang=\"zh_CN\">ZRV视频</comment>\n"
         "    <icon name=\"video-x-zrv\"/>\n"
         "    <generic-icon name=\"video-x-generic\"/>\n"
         "    <alias type=\"application/x-zrv\"/>\n"
         "    <glob pattern=\"*.zrv\"/>\n"
         "  </mime-type>\n"
         "  <mime-type type=\"video/x-gzrv\">\n"
         "    <comment>GZRV clip</comment>\n"
         "    <comment xml:lang=\"zh_CN\">GZRV视频</comment>\n"
         "    <icon name=\"video-x-gzrv\"/>\n"
         "    <generic-icon name=\"video-x-generic\"/>\n"
         "    <alias type=\"application/x-gzrv\"/>\n"
         "    <sub-class-of type=\"video/x-zrv\"/>\n"
         "    <glob pattern=\"*.gzrv\"/>\n"
         "  </mime-type>\n"
         "</mime-info>\n";
}

std::string ThumbnailerEntry(const std::string& tool) {
  return "[Thumbnailer Entry]\n"
         "TryExec=" + EscapeString(tool) + "\n"
         "Exec=" + DesktopExecProgram(tool) + " thumbnail -s %s %i %o\n"
         "MimeType=video/x-zrv;video/x-gzrv;\n";
}

// Runs a desktop database tool, when it is installed, and waits for it.
void Refresh(const char* tool, const std::string& folder) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  char* argv[] = {const_cast<char*>(tool), const_cast<char*>(folder.c_str()), nullptr};
  pid_t pid = 0;
  if (::posix_spawnp(&pid, tool, &actions, nullptr, argv, environ) == 0) {
    int status = 0;
    ::waitpid(pid, &status, 0);
  }
  posix_spawn_file_actions_destroy(&actions);
}

// The text of a file; empty when it cannot be read.
std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The value of `key` in the first group of a desktop or thumbnailer entry,
// with its string escapes undone; empty when it has none.
std::string EntryValue(const std::string& text, const std::string& key) {
  size_t at = 0;
  bool firstGroup = false;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line[0] == '[') {
      if (firstGroup) break;
      firstGroup = true;
    } else if (firstGroup && line.compare(0, key.size() + 1, key + "=") == 0) {
      std::string value;
      const std::string raw = line.substr(key.size() + 1);
      for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\' || i + 1 == raw.size()) {
          value += raw[i];
          continue;
        }
        switch (raw[++i]) {
          case 's': value += ' '; break;
          case 'n': value += '\n'; break;
          case 't': value += '\t'; break;
          case 'r': value += '\r'; break;
          default: value += raw[i];
        }
      }
      return value;
    }
  }
  return {};
}

// Whether `program` (a path, or a name looked up on PATH) is `executable`.
bool SameProgram(const std::string& program, const std::string& executable) {
  if (program.empty()) return false;
  std::vector<std::string> candidates;
  if (program.find('/') != std::string::npos) {
    candidates.push_back(program);
  } else if (const char* path = std::getenv("PATH")) {
    std::string folders = path;
    for (size_t at = 0; at <= folders.size();) {
      size_t end = folders.find(':', at);
      if (end == std::string::npos) end = folders.size();
      if (end > at) candidates.push_back(folders.substr(at, end - at) + "/" + program);
      at = end + 1;
    }
  }
  for (const std::string& candidate : candidates) {
    std::error_code error;
    if (::access(candidate.c_str(), X_OK) == 0) return fs::equivalent(candidate, executable, error);
  }
  return false;
}

// Removes `entry` when its Exec= starts `program`.
bool RemoveIfStarts(const fs::path& entry, const std::string& program) {
  if (!SameProgram(DesktopEntryProgram(ReadText(entry)), program)) return false;
  std::error_code ignored;
  return fs::remove(entry, ignored);
}

}  // namespace

std::string DesktopEntryProgram(const std::string& entryText) {
  const std::string exec = EntryValue(entryText, "Exec");
  std::string program;
  size_t i = 0;
  if (!exec.empty() && exec[0] == '"') {
    for (i = 1; i < exec.size() && exec[i] != '"'; ++i) {
      if (exec[i] == '\\' && i + 1 < exec.size()) ++i;
      program += exec[i];
    }
  } else {
    for (; i < exec.size() && exec[i] != ' '; ++i) program += exec[i];
  }
  // %% is a literal %.
  for (size_t at = program.find("%%"); at != std::string::npos; at = program.find("%%", at + 1))
    program.erase(at, 1);
  return program;
}

std::vector<std::string> SystemDataDirs() {
  const char* xdg = std::getenv("XDG_DATA_DIRS");
  const std::string dirs = xdg && *xdg ? xdg : "/usr/local/share:/usr/share";
  std::vector<std::string> list;
  for (size_t at = 0; at <= dirs.size();) {
    size_t end = dirs.find(':', at);
    if (end == std::string::npos) end = dirs.size();
    if (end > at) list.push_back(dirs.substr(at, end - at));
    at = end + 1;
  }
  return list;
}

bool SystemEntryStarts(const std::vector<std::string>& systemDirs, const std::string& executable) {
  for (const std::string& dir : systemDirs) {
    const std::string entry = ReadText(fs::path(dir) / "applications" / "zrvplayer.desktop");
    if (SameProgram(DesktopEntryProgram(entry), executable)) return true;
  }
  return false;
}

std::string DataHome() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && *xdg == '/') return xdg;
  const char* home = std::getenv("HOME");
  if (home && *home) return std::string(home) + "/.local/share";
  return {};
}

std::string DesktopExecProgram(const std::string& executable) {
  // Quoted when it holds a character that the Exec= rules reserve; inside
  // quotes ", `, $ and \ take a backslash, and every backslash of the result
  // is doubled once more by the desktop file's own string escaping.
  const std::string reserved = " \t\n\"'\\><~|&;$*?#()`";
  std::string path;
  for (char c : executable) {
    if (c == '%') path += '%';
    path += c;
  }
  std::string line;
  if (path.find_first_of(reserved) == std::string::npos) {
    line = path;
  } else {
    line += '"';
    for (char c : path) {
      if (c == '"' || c == '`' || c == '$' || c == '\\') line.append(2, '\\');
      if (c == '\\') line += '\\';
      line += c;
    }
    line += '"';
  }
  return line;
}

std::string DesktopExecLine(const std::string& executable) {
  return DesktopExecProgram(executable) + " %f";
}

std::string ThumbnailToolBeside(const std::string& executable) {
  const fs::path tool = fs::path(executable).parent_path() / "zrvtool";
  return ::access(tool.c_str(), X_OK) == 0 ? tool.string() : std::string();
}

bool WriteDesktopFiles(const std::string& dataDir, const std::string& executable,
                       const std::string& thumbnailTool, const std::string& iconSource) {
  if (dataDir.empty()) return false;
  const fs::path root(dataDir);
  bool ok = WriteAtomically(root / "applications" / "zrvplayer.desktop", DesktopEntry(executable));
  ok = WriteAtomically(root / "mime" / "packages" / "zrvplayer.xml", MimePackage()) && ok;
  if (!thumbnailTool.empty())
    ok = WriteAtomically(root / "thumbnailers" / "zrvplayer.thumbnailer",
                         ThumbnailerEntry(thumbnailTool)) &&
         ok;

  std::error_code error;
  for (const auto& sizeFolder : fs::directory_iterator(iconSource, error)) {
    if (!sizeFolder.is_directory()) continue;
    const std::string size = sizeFolder.path().filename().string();  // "48x48"
    for (const IconName& icon : kIcons)
      ok = CopyAtomically(sizeFolder.path() / icon.source,
                          root / "icons" / "hicolor" / size / icon.context / icon.installed) &&
           ok;
  }
  if (error) ok = false;
  return ok;
}

bool WriteFileAssociation(const std::string& dataHome, const std::string& executable,
                          const std::string& iconSource, const std::vector<std::string>& systemDirs) {
  if (dataHome.empty()) return false;
  const fs::path root(dataHome);
  if (SystemEntryStarts(systemDirs, executable)) {
    // Earlier starts may have written copies; the installed entries serve.
    const bool removed =
        RemoveIfStarts(root / "applications" / "zrvplayer.desktop", executable) |
        RemoveIfStarts(root / "thumbnailers" / "zrvplayer.thumbnailer", ThumbnailToolBeside(executable));
    if (removed) Refresh("update-desktop-database", (root / "applications").string());
    return true;
  }
  const bool ok =
      WriteDesktopFiles(dataHome, executable, ThumbnailToolBeside(executable), iconSource);
  Refresh("update-mime-database", (root / "mime").string());
  Refresh("update-desktop-database", (root / "applications").string());
  return ok;
}
