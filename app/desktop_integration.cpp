#include "app/desktop_integration.h"

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
    {"151.png", "mimetypes", "application-x-zrv.png"},
    {"150.png", "mimetypes", "application-x-gzrv.png"},
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
         "Exec=" + DesktopExecLine(executable) + "\n"
         "Icon=zrvplayer\n"
         "Terminal=false\n"
         "Categories=AudioVideo;Video;Player;\n"
         "Keywords=zrv;gzrv;clip;movie;camera;phone;\n"
         "Keywords[zh_CN]=视频;手机;录像;\n"
         "MimeType=application/x-zrv;application/x-gzrv;\n";
}

std::string MimePackage() {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
         "  <mime-type type=\"application/x-zrv\">\n"
         "    <comment>ZRV clip</comment>\n"
         "    <comment xml:lang=\"zh_CN\">ZRV视频</comment>\n"
         "    <icon name=\"application-x-zrv\"/>\n"
         "    <generic-icon name=\"video-x-generic\"/>\n"
         "    <alias type=\"video/x-zrv\"/>\n"
         "    <glob pattern=\"*.zrv\"/>\n"
         "  </mime-type>\n"
         "  <mime-type type=\"application/x-gzrv\">\n"
         "    <comment>GZRV clip</comment>\n"
         "    <comment xml:lang=\"zh_CN\">GZRV视频</comment>\n"
         "    <icon name=\"application-x-gzrv\"/>\n"
         "    <generic-icon name=\"video-x-generic\"/>\n"
         "    <sub-class-of type=\"application/x-zrv\"/>\n"
         "    <glob pattern=\"*.gzrv\"/>\n"
         "  </mime-type>\n"
         "</mime-info>\n";
}

std::string ThumbnailerEntry(const std::string& tool) {
  return "[Thumbnailer Entry]\n"
         "TryExec=" + EscapeString(tool) + "\n"
         "Exec=" + DesktopExecProgram(tool) + " thumbnail -s %s %i %o\n"
         "MimeType=application/x-zrv;application/x-gzrv;\n";
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

}  // namespace

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
                          const std::string& iconSource) {
  if (dataHome.empty()) return false;
  const bool ok =
      WriteDesktopFiles(dataHome, executable, ThumbnailToolBeside(executable), iconSource);
  const fs::path root(dataHome);
  Refresh("update-mime-database", (root / "mime").string());
  Refresh("update-desktop-database", (root / "applications").string());
  return ok;
}
