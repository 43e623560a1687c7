// Every text that the converter window shows, in Chinese and English. "%1"
// and "%2" are filled in when the text is shown.
#pragma once

#include "ui/language.h"

namespace convert_texts {

inline constexpr MessagePair kTitle = {"视频转换", "Video Convert"};
inline constexpr MessagePair kEmptyHint = {"把短片或文件夹拖到这里，或者点击“添加文件…”",
                                           "Drop clips or folders here, or click “Add files…”"};

// The list.
inline constexpr MessagePair kColumnName = {"名称", "Name"};
inline constexpr MessagePair kColumnFrames = {"帧数", "Frames"};
inline constexpr MessagePair kColumnLength = {"时长", "Length"};
inline constexpr MessagePair kColumnSound = {"声音", "Sound"};
inline constexpr MessagePair kColumnResult = {"结果", "Result"};
inline constexpr MessagePair kSoundYes = {"有", "yes"};
inline constexpr MessagePair kSoundNo = {"无", "no"};
inline constexpr MessagePair kSoundUnusable = {"无法解码", "cannot be decoded"};
inline constexpr MessagePair kReading = {"正在读取…", "reading…"};

// What is wrong with a clip that cannot be converted.
inline constexpr MessagePair kCannotRead = {"无法读取这个文件", "this file cannot be read"};
inline constexpr MessagePair kTooLarge = {"文件太大，无法读入内存",
                                          "the file is too large to be read into memory"};
inline constexpr MessagePair kNoFrame = {"不是 ZRV 短片：里面没有任何帧",
                                         "not a ZRV clip: it holds no frame"};

// Buttons and choices.
inline constexpr MessagePair kAddFiles = {"添加文件…", "Add files…"};
inline constexpr MessagePair kAddFolder = {"添加文件夹…", "Add folder…"};
inline constexpr MessagePair kRemove = {"移除", "Remove"};
inline constexpr MessagePair kFormat = {"格式：", "Format:"};
inline constexpr MessagePair kFormatMp4 = {"MP4 - 到处都能播放", "MP4 - plays everywhere"};
inline constexpr MessagePair kFormatMkv = {"MKV - 无损", "MKV - lossless"};
inline constexpr MessagePair kSaveTo = {"保存到：", "Save to:"};
inline constexpr MessagePair kBesideClips = {"每个短片所在的文件夹", "beside each clip"};
inline constexpr MessagePair kOneFolder = {"这个文件夹：", "this folder:"};
inline constexpr MessagePair kChooseFolder = {"选择…", "Choose…"};
inline constexpr MessagePair kConvert = {"转换", "Convert"};
inline constexpr MessagePair kCancel = {"取消", "Cancel"};
inline constexpr MessagePair kOpenOutputFolder = {"打开输出文件夹", "Open output folder"};
inline constexpr MessagePair kThisClip = {"当前短片", "This clip"};
inline constexpr MessagePair kAllClips = {"全部短片", "All clips"};

// Dialogs.
inline constexpr MessagePair kAddFilesCaption = {"添加短片", "Add clips"};
inline constexpr MessagePair kAddFolderCaption = {"添加文件夹", "Add a folder"};
inline constexpr MessagePair kOutputFolderCaption = {"选择输出文件夹", "Choose the output folder"};
inline constexpr MessagePair kClipFilter = {"ZRV 短片 (*.zrv *.gzrv);;所有文件 (*)",
                                            "ZRV clips (*.zrv *.gzrv);;All files (*)"};
inline constexpr MessagePair kAskReplace = {"“%1”已经存在。要替换它吗？",
                                            "'%1' already exists. Replace it?"};
inline constexpr MessagePair kReplace = {"替换", "Replace"};
inline constexpr MessagePair kReplaceAll = {"全部替换", "Replace all"};
inline constexpr MessagePair kKeep = {"保留", "Keep"};
inline constexpr MessagePair kKeepAll = {"全部保留", "Keep all"};
inline constexpr MessagePair kAskClose = {"正在转换。要停止转换并关闭窗口吗？",
                                          "Clips are being converted. Stop and close the window?"};
inline constexpr MessagePair kStopAndClose = {"停止并关闭", "Stop and close"};
inline constexpr MessagePair kKeepConverting = {"继续转换", "Keep converting"};

// A row's result.
inline constexpr MessagePair kWaiting = {"等待转换", "waiting"};
inline constexpr MessagePair kConverting = {"正在转换…", "converting…"};
inline constexpr MessagePair kDone = {"完成，%1", "done, %1"};
inline constexpr MessagePair kDamagedFrames = {"完成，%1（%2 帧损坏，用前一帧代替）",
                                               "done, %1 (%2 damaged frames shown as the one before)"};
inline constexpr MessagePair kCancelled = {"已取消", "cancelled"};
inline constexpr MessagePair kSkippedExists = {"已跳过：“%1”已经存在", "skipped: '%1' already exists"};
inline constexpr MessagePair kSameOutput = {"与列表中的另一个短片输出到同一个文件“%1”",
                                            "another clip in the list is converted to '%1'"};
// The export's own sentence is English; Chinese puts it after this.
inline constexpr MessagePair kFailed = {"失败：%1", "%1"};

// The line under the progress bars.
inline constexpr MessagePair kRunning = {"正在转换第 %1 个，共 %2 个", "converting %1 of %2"};
inline constexpr MessagePair kFinished = {"转换结束：%1 个成功，%2 个失败",
                                          "finished: %1 converted, %2 failed"};
inline constexpr MessagePair kStopped = {"转换已取消：%1 个已完成", "cancelled: %1 converted"};

}  // namespace convert_texts
