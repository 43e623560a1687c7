// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "import/import_wire.h"

#include <cstdio>
#include <cstdlib>
#include <map>

namespace {

using Fields = std::map<std::string, std::string>;

std::string Escape(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '\\') out += "\\\\";
    else if (c == '\t') out += "\\t";
    else if (c == '\n') out += "\\n";
    else out += c;
  }
  return out;
}

std::string Unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char next = text[++i];
    out += next == 't' ? '\t' : next == 'n' ? '\n' : next;
  }
  return out;
}

std::string Encode(const char* kind, const Fields& fields) {
  std::string line = kind;
  for (const auto& [key, value] : fields) line += "\t" + key + "=" + Escape(value);
  return line;
}

bool Decode(const std::string& line, const char* kind, Fields& fields) {
  size_t at = line.find('\t');
  if (line.substr(0, at) != kind) return false;
  while (at != std::string::npos) {
    const size_t next = line.find('\t', at + 1);
    const std::string field = line.substr(at + 1, next == std::string::npos ? std::string::npos : next - at - 1);
    const size_t equals = field.find('=');
    if (equals == std::string::npos) return false;
    fields[field.substr(0, equals)] = Unescape(field.substr(equals + 1));
    at = next;
  }
  return true;
}

std::string Number(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

double NumberOf(const Fields& fields, const char* key) {
  const auto found = fields.find(key);
  return found == fields.end() ? 0 : std::strtod(found->second.c_str(), nullptr);
}

std::string TextOf(const Fields& fields, const char* key) {
  const auto found = fields.find(key);
  return found == fields.end() ? std::string() : found->second;
}

void PutFailure(Fields& fields, const ImportFailure& failure) {
  fields["problem"] = std::to_string(int(failure.problem));
  fields["problem_path"] = failure.path;
  fields["detail"] = failure.detail;
}

ImportFailure FailureOf(const Fields& fields) {
  const int problem = int(NumberOf(fields, "problem"));
  const bool known = problem >= int(ImportProblem::none) && problem <= int(ImportProblem::cancelled);
  return {known ? ImportProblem(problem) : ImportProblem::notAVideo, TextOf(fields, "problem_path"),
          TextOf(fields, "detail")};
}

}  // namespace

std::string EncodeImportOptions(const ImportOptions& o) {
  return Encode("options", {{"width", std::to_string(o.width)},
                            {"height", std::to_string(o.height)},
                            {"fit", std::to_string(int(o.fit))},
                            {"fps", Number(o.fps)},
                            {"quality", std::to_string(o.quality)},
                            {"layout", std::to_string(int(o.layout))},
                            {"sound", std::to_string(int(o.sound))},
                            {"bitrate", std::to_string(o.bitrate)},
                            {"audio-track", std::to_string(o.audioTrack)},
                            {"start", Number(o.startSeconds)},
                            {"duration", Number(o.durationSeconds)},
                            {"force", o.force ? "1" : "0"}});
}

bool DecodeImportOptions(const std::string& line, ImportOptions& o) {
  Fields f;
  if (!Decode(line, "options", f)) return false;
  o.width = int(NumberOf(f, "width"));
  o.height = int(NumberOf(f, "height"));
  o.fit = NumberOf(f, "fit") == 1 ? ImportFit::crop : ImportFit::pad;
  o.fps = NumberOf(f, "fps");
  o.quality = int(NumberOf(f, "quality"));
  o.layout = NumberOf(f, "layout") == 1 ? ImportLayout::sharedHeader : ImportLayout::plain;
  const int sound = int(NumberOf(f, "sound"));
  o.sound = sound == 1 ? ImportSound::amrWb : sound == 2 ? ImportSound::none : ImportSound::amrNb;
  o.bitrate = int(NumberOf(f, "bitrate"));
  o.audioTrack = int(NumberOf(f, "audio-track"));
  o.startSeconds = NumberOf(f, "start");
  o.durationSeconds = NumberOf(f, "duration");
  o.force = TextOf(f, "force") == "1";
  return true;
}

std::string EncodeVideoFacts(const VideoFacts& v) {
  Fields f = {{"ok", v.ok ? "1" : "0"},
              {"error", v.error},
              {"duration_ms", Number(v.duration_ms)},
              {"width", std::to_string(v.width)},
              {"height", std::to_string(v.height)},
              {"sound", v.sound ? "1" : "0"}};
  PutFailure(f, v.failure);
  return Encode("facts", f);
}

bool DecodeVideoFacts(const std::string& line, VideoFacts& v) {
  Fields f;
  if (!Decode(line, "facts", f)) return false;
  v.ok = TextOf(f, "ok") == "1";
  v.error = TextOf(f, "error");
  v.failure = FailureOf(f);
  v.duration_ms = NumberOf(f, "duration_ms");
  v.width = int(NumberOf(f, "width"));
  v.height = int(NumberOf(f, "height"));
  v.sound = TextOf(f, "sound") == "1";
  return true;
}

std::string EncodeImportResult(const ImportResult& r) {
  Fields f = {{"ok", r.ok ? "1" : "0"},
              {"cancelled", r.cancelled ? "1" : "0"},
              {"error", r.error},
              {"frames", std::to_string(r.frames)},
              {"duration_ms", Number(r.duration_ms)},
              {"fps", Number(r.fps)},
              {"sound", r.sound ? "1" : "0"},
              {"bytes", std::to_string(r.bytes)},
              {"seconds", Number(r.seconds)}};
  PutFailure(f, r.failure);
  return Encode("result", f);
}

bool DecodeImportResult(const std::string& line, ImportResult& r) {
  Fields f;
  if (!Decode(line, "result", f)) return false;
  r.ok = TextOf(f, "ok") == "1";
  r.cancelled = TextOf(f, "cancelled") == "1";
  r.error = TextOf(f, "error");
  r.failure = FailureOf(f);
  r.frames = uint32_t(NumberOf(f, "frames"));
  r.duration_ms = NumberOf(f, "duration_ms");
  r.fps = NumberOf(f, "fps");
  r.sound = TextOf(f, "sound") == "1";
  r.bytes = uint64_t(NumberOf(f, "bytes"));
  r.seconds = NumberOf(f, "seconds");
  return true;
}

std::string EncodeImportProgress(int permille) { return Encode("progress", {{"permille", std::to_string(permille)}}); }

bool DecodeImportProgress(const std::string& line, int& permille) {
  Fields f;
  if (!Decode(line, "progress", f)) return false;
  permille = int(NumberOf(f, "permille"));
  return true;
}
