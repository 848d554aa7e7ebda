#pragma once
// The rules of the two acquisition cards' sampling-parameter dialogs: the
// recording frequencies each card offers, and how the time-expansion factor
// and the playback frequency follow the recording frequency (one of the two
// is held fixed, the other recomputed). Texts are those the dialogs show.
#include <cstdint>
#include <string>
#include <vector>

namespace nv {

enum class CardKind { ComputerBoards, NationalInstruments };

struct CardRate {
  const char* text;
  int32_t hz;
};

// The recording frequencies of a card, in list order.
const std::vector<CardRate>& RecordingRates(CardKind card);
// The frequency of a list text; any other text is 0 Hz.
int32_t RecordingRateOfText(CardKind card, const std::string& text);
// The list text of a frequency, empty when the card does not offer it.
std::string RecordingTextOfRate(CardKind card, int32_t hz);

// Fixed playback frequency: the time-expansion text ("%2.3f" of f / p) for
// the recording text and the playback text ("22050 Hz"), or empty.
std::string TimeExpansionTextFor(CardKind card, const std::string& recordingText,
                                 const std::string& playbackText);
// Fixed time-expansion factor: the playback text ("%d Hz" of f / t rounded)
// for the recording text and the time-expansion text ("10"), or empty.
std::string PlaybackTextFor(CardKind card, const std::string& recordingText,
                            const std::string& expansionText);

}  // namespace nv
