#pragma once
// What a playback tells the view that started it: status texts, the
// playback cursor, the progress as blocks are heard, the beep of a refused
// request, how it ended, and the close. Interface thread only.
#include <cstdint>
#include <string>

namespace nv {

// The status text of a playback that has ended.
inline constexpr char kEndOfPlayText[] = "End of play";

// Why a playback ended.
enum class PlaybackEnd {
  Finished,    // the range has played (or no block could be queued any more)
  Stopped,     // "&Stop Play sound"
  DeviceLost,  // the output device failed or vanished
};

class PlaybackView {
 public:
  virtual ~PlaybackView() = default;
  // A new text for the view's status strip.
  virtual void ShowPlaybackStatus(const std::string& text) = 0;
  // Puts the playback cursor at `frame`; -1 removes it.
  virtual void SetPlaybackCursor(int64_t frame) = 0;
  // A block has been heard: the sound has reached `frame`, and `text` is the
  // running text with the time reached ("Playing 0.00 - 1.00  current:
  // 0.35"). Shows the text and moves the cursor there.
  virtual void ShowPlaybackProgress(int64_t frame, const std::string& text) {
    ShowPlaybackStatus(text);
    SetPlaybackCursor(frame);
  }
  virtual void Beep() = 0;
  // The playback has ended and its device is closing: "End of play".
  virtual void ShowPlaybackEnd(PlaybackEnd how) {
    (void)how;
    ShowPlaybackStatus(kEndOfPlayText);
  }
  // The device closed: the playback is over and the playing flag is clear.
  virtual void PlaybackClosed() {}
};

}  // namespace nv
