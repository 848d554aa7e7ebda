#include "views/SoundViewEditing.h"

#include <QClipboard>
#include <QGuiApplication>

#include "analysis/PulseAnalysisDialog.h"
#include "audio/DetectorMode.h"
#include "base/CommandIds.h"
#include "base/MessageSink.h"
#include "base/PictureClipboard.h"
#include "base/WaitCursor.h"
#include "document/CNorvaneDoc.h"
#include "document/ChangeVolumeDialog.h"
#include "document/SoundEditor.h"
#include "base/TempFile.h"
#include "filter/FilterCommand.h"
#include "filter/TimeDomainFilterDialog.h"
#include "plot/SoundPlot.h"
#include "views/CNvAnaView.h"
#include "views/ViewHost.h"

namespace {

// The channels an edit acts on from a cursor record's channel (0 none, 1, 2).
nv::ChannelSelection ChannelsOf(int32_t channel) { return nv::ChannelSelectionFromCode(channel); }

}  // namespace

SoundViewEditing::EditRange SoundViewEditing::EditSelection() const {
  // A view that shows the right channel of a stereo sound alone draws it in
  // the only strip, where clicks are taken as the upper (left) one.
  const nv::CNorvaneDoc* doc = view_.Document();
  const nv::SoundPlot* plot = view_.Plot();
  const bool rightAlone = doc && doc->Format().nChannels == 2 && plot->Setup().singleChannel == 1;
  auto channels = [rightAlone](int32_t c) { return rightAlone && c == 1 ? nv::ChannelSelection::Right : ChannelsOf(c); };
  EditRange r;
  if (view_.HasSelection()) {
    r.first = plot->SelectionStart().position;
    r.end = plot->SelectionEnd().position;
    r.channels = channels(plot->SelectionStart().channel);
  } else {
    r.first = plot->Cursor().position;
    r.end = -1;
    r.channels = plot->Cursor().position >= 0 ? channels(plot->Cursor().channel) : nv::ChannelSelection::Both;
  }
  return r;
}

nv::ChannelSelection SoundViewEditing::FilterChannels() const {
  const nv::CNorvaneDoc* doc = view_.Document();
  const nv::SoundPlot* plot = view_.Plot();
  const nv::CursorRecord& c = plot->Cursor();
  if (c.position < 0) return EditSelection().channels;
  const bool rightAlone = doc && doc->Format().nChannels == 2 && plot->Setup().singleChannel == 1;
  return rightAlone && c.channel == 1 ? nv::ChannelSelection::Right : ChannelsOf(c.channel);
}

void SoundViewEditing::CopyPicture() {
  nv::SoundPlot* plot = view_.Plot();
  const QSize size = plot->size().expandedTo(QSize(1, 1));
  PictureClipboard::Copy(size, Qt::white, [&](QPaintDevice& device) { plot->RenderTo(device, size, true); },
                         QStringLiteral("Norvane"), QStringLiteral("Sound view drawn by Norvane"));
}

bool SoundViewEditing::OnCommand(int id) {
  using namespace cmd;
  switch (id) {
    case kEditCut:
    case kEditCopy:
    case kEditCopyAscii:
    case kEditPaste:
    case kEditDelete:
    case kEditSilence:
    case kEditReverse:
    case kEditVolume:
    case kEditFilter: break;
    default: return false;
  }
  nv::CNorvaneDoc* doc = view_.Document();
  if (!doc) return true;
  QWidget* window = view_.window();
  // With the detector on, "&Filter" edits and designs the detector's filter
  // and filters nothing.
  if (id == kEditFilter && detector_.IsOn()) {
    nv::FilterDescription& detectorFilter = host_.DetectorFilter();
    nv::FilterDescription desc = detectorFilter;
    if (TimeDomainFilterDialog::Ask(desc, nv::DocumentNyquistHz(*doc), window)) detectorFilter = desc;
    return true;
  }
  // The samples do not change while a playback or recording uses them, nor
  // while a pulse analysis reads them.
  if ((host_.IsPlaying() || PulseAnalysisDialog::RunningOn(doc)) && id != kEditCopy && id != kEditCopyAscii)
    return true;
  const EditRange r = EditSelection();
  const bool hasSelection = view_.HasSelection();
  nv::SoundEditor& editor = doc->Editor();
  switch (id) {
    case kEditCopy: {
      WaitCursor wait;
      CopyPicture();
      if (hasSelection) editor.Copy(r.first, r.end, r.channels);
      return true;
    }
    case kEditCut: {
      if (!hasSelection || !doc->MakeWorkFileOwn()) return true;
      WaitCursor wait;
      if (editor.Copy(r.first, r.end, r.channels)) editor.Delete(r.first, r.end, r.channels);
      return true;
    }
    case kEditCopyAscii: {
      std::string text;
      {
        WaitCursor wait;
        text = editor.CopyAsciiText(r.first, r.end, r.channels);
      }
      QClipboard* clipboard = QGuiApplication::clipboard();
      clipboard->clear();
      if (!text.empty()) clipboard->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
      return true;
    }
    case kEditPaste: {
      if (!doc->MakeWorkFileOwn()) return true;
      WaitCursor wait;
      editor.Paste(r.first, r.end, r.channels);
      return true;
    }
    default: break;
  }
  // The rest need a selection. A sound still read in place from its file
  // becomes the document's own first (with progress; a cancel changes
  // nothing); the dialogs of volume and filter are asked before that.
  if (!hasSelection) return true;
  if (id != kEditVolume && id != kEditFilter && !doc->MakeWorkFileOwn()) return true;
  switch (id) {
    case kEditDelete: {
      WaitCursor wait;
      editor.Delete(r.first, r.end, r.channels);
      return true;
    }
    case kEditSilence: {
      WaitCursor wait;
      editor.Silence(r.first, r.end, r.channels);
      return true;
    }
    case kEditReverse: {
      WaitCursor wait;
      editor.Reverse(r.first, r.end, r.channels);
      return true;
    }
    case kEditVolume: {
      const std::optional<int> percent = ChangeVolumeDialog::Ask(window);
      if (!percent || !view_.Document() || !doc->MakeWorkFileOwn()) return true;
      WaitCursor wait;
      editor.Volume(r.first, r.end, r.channels, *percent);
      return true;
    }
    case kEditFilter: {
      nv::FilterDescription& commandFilter = host_.CommandFilter();
      nv::FilterDescription desc = commandFilter;
      if (!TimeDomainFilterDialog::Ask(desc, nv::DocumentNyquistHz(*doc), window) || !view_.Document()) return true;
      // The dialog designed it: these are the last values that designed.
      commandFilter = desc;
      if (!doc->MakeWorkFileOwn()) return true;
      WaitCursor wait;
      nv::FilterDocumentRange(*doc, commandFilter, r.first, r.end, FilterChannels());
      return true;
    }
    default: return true;
  }
}

bool SoundViewEditing::OnUpdateCommand(int id, CommandState& st) {
  using namespace cmd;
  nv::CNorvaneDoc* doc = view_.Document();
  switch (id) {
    case kEditCopy:
    case kEditCopyAscii:
      st.enabled = doc != nullptr;
      return true;
    case kEditCut:
    case kEditDelete:
    case kEditSilence:
    case kEditReverse:
    case kEditVolume:
      st.enabled = doc && view_.HasSelection() && !host_.IsPlaying() && !PulseAnalysisDialog::RunningOn(doc);
      return true;
    case kEditFilter:
      st.enabled = doc && detector_.FilterCommandEnabled(view_.HasSelection() && !host_.IsPlaying() &&
                                                         !PulseAnalysisDialog::RunningOn(doc));
      return true;
    case kEditPaste:
      st.enabled = doc && doc->Editor().CanPaste() && !host_.IsPlaying() && !PulseAnalysisDialog::RunningOn(doc);
      return true;
    default: return false;
  }
}
