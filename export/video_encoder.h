// H.264 encoding of full-colour pictures through libavcodec and libx264:
// 4:2:0, odd sizes padded to even by repeating the last column and row.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "image/jpeg_rgb.h"
#include "image/rgb_picture.h"

struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct AVStream;
struct SwsContext;
class Muxer;

// Whether frames of width x height fit the H.264 level (5.1) that browsers,
// phones and desktop players decode: at most 36,864 macroblocks (4096 x 2304)
// and no side longer than 8688 pixels. Larger frames would also make the
// encoder take gigabytes.
bool H264FrameSizeSupported(int width, int height);

class H264Encoder {
 public:
  ~H264Encoder();

  // Opens the encoder for pictures of width x height at the rate
  // fpsNum / fpsDen (a hint for rate control; the time stamps rule), time
  // stamps in 1/ticksPerSecond units.
  bool Open(int width, int height, int64_t fpsNum, int64_t fpsDen, int ticksPerSecond, int crf,
            bool globalHeader, std::string& error);
  const AVCodecContext* context() const { return m_context; }
  void SetStream(AVStream* stream) { m_stream = stream; }

  // Encodes `picture` (of the opened size), or the previous picture again
  // when it is null (black before any), shown from `pts` for `duration`
  // ticks. Finished packets go to `muxer`.
  bool Encode(const RgbPicture* picture, int64_t pts, int64_t duration, Muxer& muxer,
              std::string& error);
  // The same for a picture that is 4:2:0 already (of the opened size): its
  // planes go to the encoder as they are, only narrowed to video range.
  bool Encode(const Yuv420Picture& picture, int64_t pts, int64_t duration, Muxer& muxer,
              std::string& error);
  // Drains the encoder's delayed packets.
  bool Finish(Muxer& muxer, std::string& error);

 private:
  bool ConvertPicture(const RgbPicture& picture);
  bool CopyPicture(const Yuv420Picture& picture);
  bool Send(int64_t pts, int64_t duration, Muxer& muxer, std::string& error);
  bool Drain(Muxer& muxer, std::string& error);

  AVCodecContext* m_context = nullptr;
  AVFrame* m_frame = nullptr;
  AVPacket* m_packet = nullptr;
  SwsContext* m_scaler = nullptr;
  AVStream* m_stream = nullptr;
  int m_width = 0, m_height = 0;  // the picture's size; the encoded one is even
  std::vector<uint8_t> m_padded;  // the picture as BGR rows with its padding
  uint8_t m_lumaRange[256];       // full-range samples to video range (16 to 235)
  uint8_t m_chromaRange[256];     // the same for colour differences (16 to 240)
  // The duration of each frame sent and not yet out of the encoder, by its
  // time stamp (packets come out in decoding order).
  std::map<int64_t, int64_t> m_durations;
};
