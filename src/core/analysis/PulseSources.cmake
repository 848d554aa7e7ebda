# Sources of the pulse characteristics analysis and the pulse interval /
# pulse length histograms, listed apart so that other parts of the analysis
# library keep their own list.
set(NV_PULSE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/DetectionBand.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NoiseFloor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PulseAnalysis.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PulseMarkPlacer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PulseTable.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PulseTransform.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PulseWorker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RateHistogram.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WorkerSampleMapping.cpp
)
