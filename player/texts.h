// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Every text that the player window shows, in Chinese and English.
#pragma once

#include "ui/language.h"

namespace texts {

inline constexpr const char* kTitle = "ZRV Player V1.8";

// Open flow; NAME is put between the two halves where a message has two.
inline constexpr MessagePair kOpenErrorBefore = {"打开'", "open'"};
inline constexpr MessagePair kOpenErrorAfter = {"'文件时发生错误!", "'file error!"};
inline constexpr MessagePair kNoMemory = {"系统内存太低!", "system memory over low!"};
inline constexpr MessagePair kReadErrorBefore = {"读取'", "read'"};
inline constexpr MessagePair kReadErrorAfter = {"'文件时发生错误!", "'file error!"};
inline constexpr MessagePair kNoFrameAfter = {"文件不符合要求!", "file not accord to demands!"};
inline constexpr MessagePair kAudioError = {"处理音频时发生错误!", "dispose audio error!"};
inline constexpr MessagePair kLoadedSound = {"含有声音...共%d帧", "have sound...total %d frames"};
inline constexpr MessagePair kLoadedSilent = {"无声音...共%d帧", "no sound...total %d frames"};
inline constexpr MessagePair kOpenFilter = {"zrv文件(*.zrv)|*.zrv|gzrv文件(*.gzrv)|*.gzrv|",
                                            "zrv file(*.zrv)|*.zrv|gzrv file(*.gzrv)|*.gzrv|"};

// Playback.
inline constexpr MessagePair kTickSound = {"含有声音...共%d帧,当前第%d帧,帧速为%d帧/s",
                                           "have sound...total %d frames,current %d frame,fps: %d"};
inline constexpr MessagePair kTickSilent = {"无声音...共%d帧,当前第%d帧,帧速为%d帧/s",
                                            "no sound...total %d frames,current %d frame,fps: %d"};
inline constexpr MessagePair kSeekSound = {"含有声音...共%d帧,当前第%d帧",
                                           "have sound...total %d frames,current %d frame"};
inline constexpr MessagePair kSeekSilent = {"无声音...共%d帧,当前第%d帧",
                                            "no sound...total %d frames,current %d frame"};

// Frame display and saving.
inline constexpr MessagePair kPlayError = {"播放出错!", "play error!"};
inline constexpr MessagePair kSaveError = {"保存图片出错!", "save image error!"};
inline constexpr MessagePair kSaveFilter = {"jpg文件(*.jpg)|*.jpg|", "jpg file(*.jpg)|*.jpg|"};

// Window setup.
inline constexpr const char* kResourceStatus = "欢迎使用本软件,更多内容请看帮助!";
inline constexpr MessagePair kWelcome = {"欢迎使用ZRV Player", "Welcome to using ZRV Player"};
inline constexpr MessagePair kOpenButton = {"打开", "open"};
inline constexpr MessagePair kPlayButton = {"播放", "play"};
inline constexpr MessagePair kPauseButton = {"暂停", "pause"};
inline constexpr MessagePair kDistillButton = {"提取", "distill"};
inline constexpr MessagePair kPositionTip = {"暂停时拖动有效", "drag valid when pausing"};
inline constexpr MessagePair kVolumeTip = {"音量调节（左小右大）", "adjust volume"};
inline constexpr MessagePair kAboutEntry = {"关于 ZRV Player", "About ZRV Player"};

// What screen readers call the controls that show no text of their own, and
// the frame that the picture shows (numbered as the status line numbers it).
inline constexpr MessagePair kPictureName = {"画面", "picture"};
inline constexpr MessagePair kPositionName = {"播放位置", "position"};
inline constexpr MessagePair kVolumeName = {"音量", "volume"};
inline constexpr MessagePair kVolumeIconName = {"音量图标", "volume icon"};
inline constexpr MessagePair kPictureFrame = {"第%d帧", "frame %d"};

// Menu 130.
inline constexpr MessagePair kMenuFile = {"文件", "File"};
inline constexpr MessagePair kMenuPlay = {"播放", "Play"};
inline constexpr MessagePair kMenuSpeed = {"速度", "speed"};
inline constexpr MessagePair kMenuShow = {"缩放", "show"};
inline constexpr MessagePair kMenuTool = {"工具", "Tool"};
inline constexpr MessagePair kMenuHelp = {"帮助", "Help"};
inline constexpr MessagePair kItemOpen = {"打开", "open"};
inline constexpr MessagePair kItemQuit = {"退出", "quit"};
inline constexpr MessagePair kItemQuick = {"快速", "quick"};
inline constexpr MessagePair kItemNormalSpeed = {"正常", "normal"};
inline constexpr MessagePair kItemSlow = {"慢速", "slow"};
inline constexpr MessagePair kItemBig = {"放大", "big"};
inline constexpr MessagePair kItemNormalZoom = {"正常", "normal"};
inline constexpr MessagePair kItemSmall = {"缩小", "small"};
inline constexpr MessagePair kItemOnTop = {"总在最前", "always on top"};
inline constexpr MessagePair kItemVideoConvert = {"视频转换", "Video Convert"};
inline constexpr MessagePair kItemZrvChanger = {"ZRV 转换", "ZRV Changer"};
inline constexpr MessagePair kItemCheckVersion = {"检查最新版本", "check new version"};
inline constexpr MessagePair kItemManual = {"使用说明", "software manual"};
inline constexpr MessagePair kItemAbout = {"关于", "about"};

}  // namespace texts
