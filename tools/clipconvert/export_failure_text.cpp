// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tools/clipconvert/export_failure_text.h"

#include "ui/language.h"

namespace {

QString ChineseText(const ExportFailure& f) {
  const QString path = QString::fromStdString(f.path), detail = QString::fromStdString(f.detail);
  switch (f.problem) {
    case ExportProblem::none:
      return {};
    case ExportProblem::badQuality:
      return QString("画质（crf）必须在 0 到 %1 之间").arg(f.number);
    case ExportProblem::clipUnreadable:
      return QString("无法读取“%1”：%2").arg(path, detail);
    case ExportProblem::clipNotRegular:
      return QString("“%1”不是普通文件").arg(path);
    case ExportProblem::clipCannotOpen:
      return QString("无法打开“%1”").arg(path);
    case ExportProblem::clipTooLarge:
      return QString("“%1”太大，无法读入内存").arg(path);
    case ExportProblem::clipCutShort:
      return QString("没能把“%1”读到结尾").arg(path);
    case ExportProblem::notAClip:
      return QString("“%1”不是 ZRV 短片：里面没有任何帧").arg(path);
    case ExportProblem::outputIsClip:
      return QString("“%1”就是短片本身，不会被覆盖").arg(path);
    case ExportProblem::outputExists:
      return QString("“%1”已经存在，保持原样").arg(path);
    case ExportProblem::outputIsFolder:
      return QString("“%1”是一个文件夹").arg(path);
    case ExportProblem::folderNotWritable:
      return QString("无法在文件夹“%1”里写入：%2").arg(path, detail);
    case ExportProblem::cannotWrite:
      return QString("无法写入“%1”").arg(path);
    case ExportProblem::cannotName:
      return QString("无法把完成的文件命名为“%1”：%2").arg(path, detail);
    case ExportProblem::framesTooLarge:
      return QString("“%1”无法导出：它的帧是 %2 x %3，超过了到处都能播放的 MP4 所能容纳的大小"
                     "（最多 8192 个 16 x 16 的宏块，如 1920 x 1080，且每边不超过 4096）；请导出为 MKV")
          .arg(path)
          .arg(f.width)
          .arg(f.height);
    case ExportProblem::noDecodableFrame:
      return QString("“%1”无法导出：它的帧都无法解码").arg(path);
    case ExportProblem::outputBeyondBound:
      return QString("“%1”无法导出：它的帧加上共享的文件头，会远远超过这样大小的短片所能产生的数据量").arg(path);
    case ExportProblem::soundTooLong:
      return QString("“%1”无法导出：它的声音轨道声称的长度，远远超过这样大小的短片所能容纳的声音").arg(path);
    case ExportProblem::cancelled:
      return QString("“%1”的转换已取消").arg(path);
    case ExportProblem::failed:
      // The libraries' own account stays as they give it.
      return QString("“%1”无法导出：%2").arg(path, detail);
  }
  return {};
}

}  // namespace

QString ExportFailureText(const ExportFailure& failure) {
  if (UiLanguage == kLanguageEnglish) return QString::fromStdString(ExportFailureSentence(failure));
  return ChineseText(failure);
}
