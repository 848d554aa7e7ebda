#include "plot/SoundSource.h"

#include "document/CNorvaneDoc.h"

namespace nv {

SoundSource SoundSource::Of(CNorvaneDoc& doc, bool map) {
  SoundSource s;
  const WaveFormatEx& f = doc.Format();
  s.channels = f.nChannels == 2 ? 2 : 1;
  s.bitsPerSample = f.wBitsPerSample == 8 ? 8 : 16;
  s.rateHz = f.nSamplesPerSec;
  s.frameCount = ViewFrame(doc.FrameCount());
  s.timeExpansion = doc.Info().TimeExpansion();
  if (map && s.frameCount > 0) {
    s.samples = doc.Samples().Data();
    if (!s.samples) s.frameCount = 0;
  }
  return s;
}

}  // namespace nv
