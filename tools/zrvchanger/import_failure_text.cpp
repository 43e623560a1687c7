// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tools/zrvchanger/import_failure_text.h"

#include "ui/language.h"

namespace {

QString ChineseText(const ImportFailure& f) {
  const QString path = QString::fromStdString(f.path), detail = QString::fromStdString(f.detail);
  switch (f.problem) {
    case ImportProblem::none:
      return {};
    case ImportProblem::badOptions:
      // The rule broken is the library's own account.
      return QString("设置的值不可用：%1").arg(detail);
    case ImportProblem::cannotOpen:
      return QString("无法打开“%1”：%2").arg(path, detail);
    case ImportProblem::notRegular:
      return QString("“%1”不是普通文件").arg(path);
    case ImportProblem::notAVideo:
    case ImportProblem::otherFormat:
    case ImportProblem::singlePicture:
      return QString("“%1”不是可以读取的视频").arg(path);
    case ImportProblem::noVideoStream:
      return QString("“%1”里没有视频画面").arg(path);
    case ImportProblem::framesTooLarge:
      return QString("“%1”的画面超过了能读取的 8192 x 8192").arg(path);
    case ImportProblem::formatNotDecodable:
    case ImportProblem::cannotDecode:
      return detail.isEmpty() ? QString("“%1”使用的格式无法解码").arg(path)
                              : QString("“%1”使用的格式无法解码（%2）").arg(path, detail);
    case ImportProblem::damaged:
    case ImportProblem::truncated:
    case ImportProblem::implausibleTimes:
    case ImportProblem::cannotStart:
    case ImportProblem::stopped:
      return QString("“%1”已损坏或不完整").arg(path);
    case ImportProblem::noVideoFrames:
    case ImportProblem::noDecodableFrame:
      return QString("“%1”没有一帧画面可以解码").arg(path);
    case ImportProblem::tooLong:
    case ImportProblem::clipTooLarge:
      return QString("“%1”太长，一个短片放不下").arg(path);
    case ImportProblem::tooCostly:
      return QString("“%1”的画面对它的大小来说太多太大，无法导入").arg(path);
    case ImportProblem::startBeyondEnd:
      return QString("开始位置超出了“%1”的结尾").arg(path);
    case ImportProblem::soundUnusable:
    case ImportProblem::encoderUnavailable:
      return QString("“%1”的声音无法转换").arg(path);
    case ImportProblem::outputIsVideo:
      return QString("“%1”就是视频本身，不会被覆盖").arg(path);
    case ImportProblem::cannotWrite:
      return QString("无法写入短片“%1”").arg(path);
    case ImportProblem::outOfMemory:
      return QString("内存不足，无法导入“%1”").arg(path);
    case ImportProblem::cancelled:
      return QString("“%1”的导入已取消").arg(path);
  }
  return {};
}

}  // namespace

QString ImportFailureText(const ImportFailure& failure, const std::string& sentence) {
  if (UiLanguage == kLanguageEnglish || failure.problem == ImportProblem::none)
    return QString::fromStdString(sentence);
  return ChineseText(failure);
}
