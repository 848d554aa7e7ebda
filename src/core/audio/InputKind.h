#pragma once
// The input kinds of the "Sound devices" dialog: the wave-input device, or
// an acquisition card (recorded by the card's own software).

namespace nv {

enum class InputKind { WaveInput = 1, ComputerBoards = 3, NationalInstruments = 4, OtherCard = 5 };

inline bool IsCardKind(InputKind k) { return k != InputKind::WaveInput; }

}  // namespace nv
