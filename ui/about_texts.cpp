// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "ui/about_texts.h"

#include <QStringList>

#include "ui/site.h"

namespace {

// Every line, the last one included, is closed by CR LF.
QString JoinLines(const QStringList& lines) {
  QString text;
  for (const QString& line : lines) text += line + QStringLiteral("\r\n");
  return text;
}

// Width of a text in half cells of a CJK monospaced face: ASCII takes one half
// cell, everything else (Chinese, box drawing, full-width signs) a whole cell.
int HalfCells(const QString& text) {
  int width = 0;
  for (const QChar ch : text) width += ch.unicode() < 0x80 ? 1 : 2;
  return width;
}

QString Blank(int halfCells) {
  return QString(halfCells / 2, QChar(0x3000)) + (halfCells % 2 ? QStringLiteral(" ") : QString());
}

// One storey of the house: a wall of "╬" on each side, the content centred
// between them. Content wider than the house pushes the right wall out.
QString HouseRow(const QString& content) {
  constexpr int kInsideHalfCells = 44;
  const int spare = kInsideHalfCells - HalfCells(content);
  const int left = spare > 0 ? spare / 2 : 0;
  const int right = spare > 0 ? spare - left : 0;
  return QStringLiteral("　　　╬") + Blank(left) + content + Blank(right) + QStringLiteral("╬");
}

}  // namespace

QString IntroText() {
  return JoinLines({
      QString(),
      QStringLiteral("ZRV Player适用于手机拍摄的zrv文件!"),
      QString(),
      QStringLiteral("提供以下功能："),
      QString(),
      QStringLiteral("1 支持慢速、中速和高速播放"),
      QString(),
      QStringLiteral("2 支持提取zrv文件中的图像"),
      QString(),
      QStringLiteral("3 支持放大和缩小播放的图像"),
      QString(),
      QStringLiteral("4 支持有声和无声两种形式zrv文件"),
      QString(),
      QStringLiteral("5 多种视频格式转换"),
  });
}

QString HistoryText() {
  return JoinLines({
      QString(),
      QStringLiteral("ZRV Player升级记录："),
      QStringLiteral("1.8版修改："),
      QStringLiteral("\t修正ZRV Swift Changer中的错误"),
      QStringLiteral("1.7版修改："),
      QStringLiteral("\t增加对一类zrv文件的支持"),
      QStringLiteral("\t增加支持英文操作系统"),
      QStringLiteral("\t增加转换格式：avi"),
      QString(),
      QStringLiteral("1.6版修改："),
      QStringLiteral("\t增加工具用于视频格式转换"),
      QStringLiteral("\t增加文件关联，方便使用"),
      QString(),
      QStringLiteral("1.5版修改："),
      QStringLiteral("\t对算法进行全面优化"),
      QStringLiteral("\t改正了声音提取部分的错误"),
      QStringLiteral("\t增加文件拖拽功能"),
      QString(),
      QStringLiteral("1.4版修改："),
      QStringLiteral("\t增加对含声音的zrv文件支持"),
      QString(),
      QStringLiteral("1.3版修改："),
      QStringLiteral("\t增加显示当前播放的文件"),
      QStringLiteral("\t提高播放效率"),
      QString(),
      QStringLiteral("1.2版修改："),
      QStringLiteral("\t由于IPicture显示坏的帧有问题，采用新的实现方式"),
      QStringLiteral("\t对界面和功能进行修改和完善"),
      QString(),
      QStringLiteral("1.1版修改："),
      QStringLiteral("\t最后一帧不能显示"),
      QStringLiteral("\t修改帧头处理，以支持多数手机"),
      QString(),
      QStringLiteral("1.0版："),
      QStringLiteral("\t实现zrv文件播放"),
      QString(),
  });
}

QString ThanksText() {
  const QString windows = QStringLiteral("　田　田　　　　　　　　　　田　田　");
  return JoinLines({
      QStringLiteral("特别感谢寄来zrv文件和提出建议的每一位用户，是你们让ZRV Player越来越好！"),
      QStringLiteral("　　　︶︶　　　　　　╭⌒╮　　　　　　︶︶︶"),
      QStringLiteral("　　　╭⌒╮╭⌒╮╭⌒╮╭⌒╮╭⌒╮╭⌒╮╭⌒╮╭⌒╮"),
      QStringLiteral("　　　") + QString(24, QChar(0x256C)),
      HouseRow(windows),
      HouseRow(QStringLiteral("我们共同的ZRV家园")),
      HouseRow(windows),
      HouseRow(QStringLiteral("网址：") + SiteHostName()),
      HouseRow(windows),
      HouseRow(QString()),
      HouseRow(windows),
      QString(30, QChar(0x256C)),
  });
}
