#pragma once
// The command identifiers of the menus, the toolbar and the context menu.
// The items of the two mark submenus carry the mark's number instead.
namespace cmd {

enum Id : int {
  kNone = 0,
  // File
  kFileNew = 100, kFileOpen, kFileClose, kFileSave, kFileSaveAs, kFileSaveInterval,
  kFilePrint, kFilePrintPreview, kFilePrintSetup, kFileMru1, kFileMru2, kFileMru3, kFileMru4,
  kAppExit,
  // Edit
  kEditUndo = 200, kEditCut, kEditCopy, kEditCopyAscii, kEditPaste, kEditSelectAll,
  kEditDelete, kEditSilence, kEditReverse, kEditVolume, kEditFilter, kEditRedo,
  // View and Window
  kViewToolbar = 300, kViewStatusBar, kWindowCascade, kWindowTile, kWindowArrange, kWindowSplit,
  // Sound
  kSoundDevices = 400, kSoundPlay, kSoundSpeedQuarter, kSoundSpeedHalf, kSoundSpeedOne,
  kSoundSpeedTwo, kSoundSpeedFour, kSoundRecord, kSoundStop, kSoundFormat,
  kSoundVirtualDetector, kSoundSamplingParameters, kRecordViewSettings,
  // The slow play speeds for ultrasound (after "1/4" ... "4" above).
  kSoundSpeed1of32 = 420, kSoundSpeed1of20, kSoundSpeed1of16, kSoundSpeed1of10, kSoundSpeed1of8,
  // Tools
  kZoomIn = 500, kZoomOut, kZoomDefault, kZoomEntire, kScrollStepLeft, kScrollStepRight,
  kCursorMarking, kCursorMarkingStereo, kCursorMeasurement, kCursorLargeMeasurement,
  kCursorLevel, kSaveCursorAsMark, kSaveCursor, kActiveMarkProperties, kMoveActiveMark,
  kMarkDistances, kClearAllMarks, kExportMarks, kImportMarks,
  // Fitting the sound to the window, and moving by a page and to the ends.
  kZoomFit = 540, kScrollPageLeft, kScrollPageRight, kScrollHome, kScrollEnd, kViewFitShortSounds,
  // Analysis
  kNewCombined = 600, kNewSpectrogram, kNewOscillogram, kNewZeroCrossing,
  kPowerSpectrum, kPulseInterval, kPulseLength, kPulseCharacteristics,
  kSpectSettingsDefault, kOscSettingsDefault, kZcSettingsDefault, kPowerSettingsDefault,
  kRateSettingsDefault, kSpectSettingsCurrent, kOscSettingsCurrent, kZcSettingsCurrent,
  // Help
  kHelpTopics = 700, kAppAbout,
};

}  // namespace cmd
