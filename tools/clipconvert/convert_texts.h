// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The texts of the Video Convert window that are its own, in Chinese and
// English; the texts it shares with the ZRV Changer are in tools/converter.
#pragma once

#include "ui/language.h"

namespace convert_texts {

inline constexpr MessagePair kTitle = {"视频转换", "Video Convert"};
inline constexpr MessagePair kEmptyHint = {"把短片或文件夹拖到这里，或者点击“添加文件…”",
                                           "Drop clips or folders here, or click “Add files…”"};
inline constexpr MessagePair kListName = {"短片", "Clips"};

// The list.
inline constexpr MessagePair kColumnFrames = {"帧数", "Frames"};
inline constexpr MessagePair kColumnSound = {"声音", "Sound"};
inline constexpr MessagePair kSoundYes = {"有", "yes"};
inline constexpr MessagePair kSoundNo = {"无", "no"};
inline constexpr MessagePair kSoundUnusable = {"无法解码", "cannot be decoded"};

// What is wrong with a clip that cannot be converted.
inline constexpr MessagePair kCannotRead = {"无法读取这个文件", "this file cannot be read"};
inline constexpr MessagePair kTooLarge = {"文件太大，无法读入内存",
                                          "the file is too large to be read into memory"};
inline constexpr MessagePair kNoFrame = {"不是 ZRV 短片：里面没有任何帧",
                                         "not a ZRV clip: it holds no frame"};

// Choices.
inline constexpr MessagePair kFormat = {"格式：", "Format:"};
inline constexpr MessagePair kFormatTip = {"MP4 用 H.264 和 AAC，到处都能播放；MKV 原样保留每一帧和声音（FLAC）",
                                           "MP4 (H.264, AAC) plays everywhere; MKV keeps every frame as it is, "
                                           "and the sound losslessly (FLAC)"};
inline constexpr MessagePair kFormatMp4 = {"MP4 - 到处都能播放", "MP4 - plays everywhere"};
inline constexpr MessagePair kFormatMkv = {"MKV - 无损", "MKV - lossless"};
inline constexpr MessagePair kBesideClips = {"每个短片所在的文件夹", "beside each clip"};
inline constexpr MessagePair kBesideClipsTip = {"每个视频保存在它的短片旁边", "Each video goes beside its clip"};
inline constexpr MessagePair kThisClip = {"当前短片", "This clip"};
inline constexpr MessagePair kAllClips = {"全部短片", "All clips"};

// Dialogs.
inline constexpr MessagePair kAddFilesCaption = {"添加短片", "Add clips"};
inline constexpr MessagePair kClipFilter = {"ZRV 短片 (*.zrv *.gzrv);;所有文件 (*)",
                                            "ZRV clips (*.zrv *.gzrv);;All files (*)"};
inline constexpr MessagePair kAskClose = {"正在转换。要停止转换并关闭窗口吗？",
                                          "Clips are being converted. Stop and close the window?"};

// A row's result.
inline constexpr MessagePair kDone = {"完成，%1", "done, %1"};
inline constexpr MessagePair kDamagedFrames = {"完成，%1（%2 帧损坏，用前一帧代替）",
                                               "done, %1 (%2 damaged frames shown as the one before)"};
inline constexpr MessagePair kSameOutput = {"与列表中的另一个短片输出到同一个文件“%1”",
                                            "another clip in the list is converted to '%1'"};

}  // namespace convert_texts
