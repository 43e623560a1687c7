// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The texts of the ZRV Changer window that are its own, in Chinese and
// English; the texts it shares with Video Convert are in tools/converter.
#pragma once

#include "ui/language.h"

namespace changer_texts {

inline constexpr MessagePair kTitle = {"ZRV 转换", "ZRV Changer"};
inline constexpr MessagePair kEmptyHint = {"把视频或文件夹拖到这里，或者点击“添加文件…”",
                                           "Drop videos or folders here, or click “Add files…”"};
inline constexpr MessagePair kListName = {"视频", "Videos"};
inline constexpr MessagePair kColumnPicture = {"画面", "Picture"};
inline constexpr MessagePair kPictureSize = {"%1 x %2", "%1 x %2"};
inline constexpr MessagePair kUnknownLength = {"未知", "unknown"};

inline constexpr MessagePair kBesideVideos = {"每个视频所在的文件夹", "beside each video"};
inline constexpr MessagePair kBesideVideosTip = {"每个短片保存在它的视频旁边", "Each clip goes beside its video"};
inline constexpr MessagePair kThisVideo = {"当前视频", "This video"};
inline constexpr MessagePair kAllVideos = {"全部视频", "All videos"};
inline constexpr MessagePair kAddFilesCaption = {"添加视频", "Add videos"};
inline constexpr MessagePair kVideoFilter = {
    "视频 (*.mp4 *.m4v *.mov *.3gp *.3g2 *.mkv *.webm *.avi *.gif *.mpg *.mpeg *.wmv *.flv *.ogv *.ts);;"
    "所有文件 (*)",
    "Videos (*.mp4 *.m4v *.mov *.3gp *.3g2 *.mkv *.webm *.avi *.gif *.mpg *.mpeg *.wmv *.flv *.ogv *.ts);;"
    "All files (*)"};
inline constexpr MessagePair kAskClose = {"正在转换。要停止转换并关闭窗口吗？",
                                          "Videos are being converted. Stop and close the window?"};
inline constexpr MessagePair kSameOutput = {"与列表中的另一个视频输出到同一个文件“%1”",
                                            "another video in the list is converted to '%1'"};

// The target.
inline constexpr MessagePair kTarget = {"转换成的 ZRV 短片", "The ZRV clips to make"};
inline constexpr MessagePair kSize = {"画面大小：", "Picture size:"};
inline constexpr MessagePair kCustomSize = {"自定义", "Custom"};
inline constexpr MessagePair kWidth = {"宽度", "Width"};
inline constexpr MessagePair kHeight = {"高度", "Height"};
inline constexpr MessagePair kSize128 = {"最小的画面，最早的彩屏手机", "The smallest picture, for the first colour phones"};
inline constexpr MessagePair kSize176 = {"QCIF：大多数手机录制和播放的大小", "QCIF: what most phones record and play"};
inline constexpr MessagePair kSize220 = {"许多后来的手机的屏幕大小", "The screen of many later phones"};
inline constexpr MessagePair kSize320 = {"QVGA：大屏幕，文件也更大", "QVGA: for larger screens; larger files"};
inline constexpr MessagePair kSizeCustom = {"任意大小，每边 16 到 8192 像素", "Any size, 16 to 8192 pixels a side"};

inline constexpr MessagePair kFit = {"适应方式：", "Fit:"};
inline constexpr MessagePair kFitPad = {"留边", "Pad"};
inline constexpr MessagePair kFitCrop = {"裁剪", "Crop"};
inline constexpr MessagePair kFitPadTip = {"保留整个画面，形状不同的地方加黑边",
                                           "The whole picture is kept, with black bars where the shapes differ"};
inline constexpr MessagePair kFitCropTip = {"画面填满，多出的部分两边平均裁掉",
                                            "The picture fills the frame; what overhangs is cut off evenly"};

inline constexpr MessagePair kFps = {"帧率：", "Frame rate:"};
inline constexpr MessagePair kFpsSuffix = {" 帧/秒", " fps"};
inline constexpr MessagePair kFpsTip = {"每秒的画面数：越多越流畅，文件也越大（通常 8）",
                                        "Pictures a second: more is smoother and larger (8 is usual)"};
inline constexpr MessagePair kFpsSilentTip = {"没有声音时，播放器每秒显示 5 个画面",
                                              "Without sound the player shows 5 pictures a second"};

inline constexpr MessagePair kQuality = {"画质：", "Picture quality:"};
inline constexpr MessagePair kQualityTip = {"JPEG 质量 1 到 100：越高越清晰，文件也越大",
                                            "JPEG quality, 1 to 100: higher looks better and makes larger files"};

inline constexpr MessagePair kSound = {"声音：", "Sound:"};
inline constexpr MessagePair kSoundNb = {"AMR-NB", "AMR-NB"};
inline constexpr MessagePair kSoundWb = {"AMR-WB", "AMR-WB"};
inline constexpr MessagePair kSoundNone = {"无声音", "none"};
inline constexpr MessagePair kSoundNbTip = {"8 kHz 语音编码：每部手机都能播放",
                                            "8 kHz speech coding: every phone plays it"};
inline constexpr MessagePair kSoundWbTip = {"16 kHz 宽带语音：更清楚，但不是每部手机都能播放",
                                            "16 kHz wide-band speech: clearer, but not every phone plays it"};
inline constexpr MessagePair kSoundNoneTip = {"没有声音：画面固定为每秒 5 个",
                                              "No sound: the pictures are shown 5 a second"};

inline constexpr MessagePair kTrack = {"音轨：", "Sound track:"};
inline constexpr MessagePair kTrackDefault = {"默认", "default"};
inline constexpr MessagePair kTrackTip = {"视频有几条音轨时取哪一条；默认取视频标为默认的那条",
                                          "Which of the video's sound tracks to take; by default the one it marks"};
inline constexpr MessagePair kLayout = {"布局：", "Layout:"};
inline constexpr MessagePair kLayoutPlain = {"普通", "Plain"};
inline constexpr MessagePair kLayoutShared = {"共用文件头", "Shared header"};
inline constexpr MessagePair kLayoutPlainTip = {"每一帧都是完整的 JPEG 图片：所有播放器都能读",
                                                "Every frame a whole JPEG picture: every player reads it"};
inline constexpr MessagePair kLayoutSharedTip = {"各帧共用第一帧的文件头：文件稍小，只适合认识这种布局的播放器",
                                                 "The frames share one header: a little smaller, for players "
                                                 "that know this layout"};

// A finished row.
inline constexpr MessagePair kPlay = {"播放", "Play"};
inline constexpr MessagePair kPlayTip = {"用 ZRV Player 播放选中的转换好的短片",
                                         "Play the selected converted clip in ZRV Player"};
inline constexpr MessagePair kDone = {"完成，%1，%2 帧", "done, %1, %2 frames"};
inline constexpr MessagePair kFailed = {"转换失败：%1", "%1"};
inline constexpr MessagePair kCannotPlay = {"找不到 zrvplayer，无法播放“%1”", "zrvplayer is not found to play '%1'"};

}  // namespace changer_texts
