// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The texts that both converter windows show, in Chinese and English. "%1"
// and "%2" are filled in when the text is shown. Each window's own words
// (its title, what it converts) are in its own folder.
#pragma once

#include <QString>

#include "ui/language.h"

inline QString Text(const MessagePair& pair) { return QString::fromUtf8(pair.Text()); }

namespace converter_texts {

// The list.
inline constexpr MessagePair kColumnName = {"名称", "Name"};
inline constexpr MessagePair kColumnLength = {"时长", "Length"};
inline constexpr MessagePair kColumnResult = {"结果", "Result"};
inline constexpr MessagePair kReading = {"正在读取…", "reading…"};

// Buttons and choices, and what each does.
inline constexpr MessagePair kAddFiles = {"添加文件…", "Add files…"};
inline constexpr MessagePair kAddFilesTip = {"从磁盘选择文件加入列表", "Choose files to put in the list"};
inline constexpr MessagePair kAddFolder = {"添加文件夹…", "Add folder…"};
inline constexpr MessagePair kAddFolderTip = {"把一个文件夹（包括子文件夹）里的文件加入列表",
                                              "Put the files of a folder and its subfolders in the list"};
inline constexpr MessagePair kRemove = {"移除", "Remove"};
inline constexpr MessagePair kRemoveTip = {"从列表中移除选中的行（Delete 键）；文件本身不动",
                                           "Take the selected rows out of the list (Delete key); the files stay"};
inline constexpr MessagePair kSaveTo = {"保存到：", "Save to:"};
inline constexpr MessagePair kOneFolder = {"这个文件夹：", "this folder:"};
inline constexpr MessagePair kOneFolderTip = {"所有结果都保存到下面选择的文件夹",
                                              "Every result goes into the folder chosen here"};
inline constexpr MessagePair kChooseFolder = {"选择…", "Choose…"};
inline constexpr MessagePair kChooseFolderTip = {"选择保存结果的文件夹", "Choose the folder the results go into"};
inline constexpr MessagePair kOutputFolder = {"输出文件夹", "Output folder"};
inline constexpr MessagePair kConvert = {"转换", "Convert"};
inline constexpr MessagePair kConvertTip = {"按上面的设置转换列表中的所有文件",
                                            "Convert every file of the list with the settings above"};
inline constexpr MessagePair kCancel = {"取消", "Cancel"};
inline constexpr MessagePair kCancelTip = {"停止转换；未完成的文件不会留下",
                                           "Stop converting; an unfinished file is not left behind"};
inline constexpr MessagePair kOpenOutputFolder = {"打开输出文件夹", "Open output folder"};
inline constexpr MessagePair kOpenOutputFolderTip = {"在文件管理器中显示上次转换的结果",
                                                     "Show the last results in the file manager"};
inline constexpr MessagePair kStatus = {"状态", "Status"};

// Dialogs.
inline constexpr MessagePair kAddFolderCaption = {"添加文件夹", "Add a folder"};
inline constexpr MessagePair kOutputFolderCaption = {"选择输出文件夹", "Choose the output folder"};
inline constexpr MessagePair kAskReplace = {"“%1”已经存在。要替换它吗？",
                                            "'%1' already exists. Replace it?"};
inline constexpr MessagePair kReplace = {"替换", "Replace"};
inline constexpr MessagePair kReplaceAll = {"全部替换", "Replace all"};
inline constexpr MessagePair kKeep = {"保留", "Keep"};
inline constexpr MessagePair kKeepAll = {"全部保留", "Keep all"};
inline constexpr MessagePair kStopAndClose = {"停止并关闭", "Stop and close"};
inline constexpr MessagePair kKeepConverting = {"继续转换", "Keep converting"};

// A row's result.
inline constexpr MessagePair kWaiting = {"等待转换", "waiting"};
inline constexpr MessagePair kConverting = {"正在转换…", "converting…"};
inline constexpr MessagePair kCancelled = {"已取消", "cancelled"};
inline constexpr MessagePair kSkippedExists = {"已跳过：“%1”已经存在", "skipped: '%1' already exists"};

// The line under the progress bars.
inline constexpr MessagePair kRunning = {"正在转换第 %1 个，共 %2 个", "converting %1 of %2"};
inline constexpr MessagePair kFinished = {"转换结束：%1 个成功，%2 个失败",
                                          "finished: %1 converted, %2 failed"};
inline constexpr MessagePair kStopped = {"转换已取消：%1 个已完成", "cancelled: %1 converted"};

}  // namespace converter_texts
