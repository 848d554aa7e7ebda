// The Edit menu of the sound view: cut, copy (the view's picture and the
// program's own clip), copy of the samples as text, paste, delete, silence,
// reverse, volume and the time-domain filter. Each edit runs under the wait
// cursor through the document's SoundEditor (which releases the work-file
// mapping first) and ends with the document's UpdateAllViews (hint 1), which
// redraws every view of the document.
#include <QClipboard>
#include <QGuiApplication>

#include "analysis/PulseAnalysisDialog.h"
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

bool Playing() { return ViewHost::Get().IsPlaying(); }

// The channels an edit acts on from a cursor record's channel (0 none, 1, 2).
nv::ChannelSelection ChannelsOf(int32_t channel) { return nv::ChannelSelectionFromCode(channel); }

}  // namespace

CNvAnaView::EditRange CNvAnaView::EditSelection() const {
  // A view that shows the right channel of a stereo sound alone draws it in
  // the only strip, where clicks are taken as the upper (left) one.
  const bool rightAlone = doc_ && doc_->Format().nChannels == 2 && plot_->Setup().singleChannel == 1;
  auto channels = [rightAlone](int32_t c) { return rightAlone && c == 1 ? nv::ChannelSelection::Right : ChannelsOf(c); };
  EditRange r;
  if (HasSelection()) {
    r.first = plot_->SelectionStart().position;
    r.end = plot_->SelectionEnd().position;
    r.channels = channels(plot_->SelectionStart().channel);
  } else {
    r.first = plot_->Cursor().position;
    r.end = -1;
    r.channels = plot_->Cursor().position >= 0 ? channels(plot_->Cursor().channel) : nv::ChannelSelection::Both;
  }
  return r;
}

nv::ChannelSelection CNvAnaView::FilterChannels() const {
  const nv::CursorRecord& c = plot_->Cursor();
  if (c.position < 0) return EditSelection().channels;
  const bool rightAlone = doc_ && doc_->Format().nChannels == 2 && plot_->Setup().singleChannel == 1;
  return rightAlone && c.channel == 1 ? nv::ChannelSelection::Right : ChannelsOf(c.channel);
}

void CNvAnaView::CopyPicture() {
  const QSize size = plot_->size().expandedTo(QSize(1, 1));
  PictureClipboard::Copy(size, Qt::white, [&](QPaintDevice& device) { plot_->RenderTo(device, size, true); },
                         QStringLiteral("Norvane"), QStringLiteral("Sound view drawn by Norvane"));
}

bool CNvAnaView::OnEditCommand(int id) {
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
  if (!doc_) return true;
  // With the detector on, "&Filter" edits and designs the detector's filter
  // and filters nothing.
  if (id == kEditFilter && detector_.IsOn()) {
    nv::FilterDescription& detectorFilter = ViewHost::Get().DetectorFilter();
    nv::FilterDescription desc = detectorFilter;
    if (TimeDomainFilterDialog::Ask(desc, nv::DocumentNyquistHz(*doc_), window())) detectorFilter = desc;
    return true;
  }
  // The samples do not change while a playback or recording uses them, nor
  // while a pulse analysis reads them.
  if ((Playing() || PulseAnalysisDialog::RunningOn(doc_)) && id != kEditCopy && id != kEditCopyAscii)
    return true;
  const EditRange r = EditSelection();
  nv::SoundEditor& editor = doc_->Editor();
  switch (id) {
    case kEditCopy: {
      WaitCursor wait;
      CopyPicture();
      if (HasSelection()) editor.Copy(r.first, r.end, r.channels);
      return true;
    }
    case kEditCut: {
      if (!HasSelection()) return true;
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
      WaitCursor wait;
      editor.Paste(r.first, r.end, r.channels);
      return true;
    }
    default: break;
  }
  // The rest need a selection.
  if (!HasSelection()) return true;
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
      const std::optional<int> percent = ChangeVolumeDialog::Ask(window());
      if (!percent || !doc_) return true;
      WaitCursor wait;
      editor.Volume(r.first, r.end, r.channels, *percent);
      return true;
    }
    case kEditFilter: {
      nv::FilterDescription& commandFilter = ViewHost::Get().CommandFilter();
      nv::FilterDescription desc = commandFilter;
      if (!TimeDomainFilterDialog::Ask(desc, nv::DocumentNyquistHz(*doc_), window()) || !doc_) return true;
      // The dialog designed it: these are the last values that designed.
      commandFilter = desc;
      WaitCursor wait;
      nv::FilterDocumentRange(*doc_, commandFilter, r.first, r.end, FilterChannels());
      return true;
    }
    default: return true;
  }
}

bool CNvAnaView::OnUpdateEditCommand(int id, CommandState& st) {
  using namespace cmd;
  switch (id) {
    case kEditCopy:
    case kEditCopyAscii:
      st.enabled = doc_ != nullptr;
      return true;
    case kEditCut:
    case kEditDelete:
    case kEditSilence:
    case kEditReverse:
    case kEditVolume:
      st.enabled = doc_ && HasSelection() && !Playing() && !PulseAnalysisDialog::RunningOn(doc_);
      return true;
    case kEditFilter:
      st.enabled = doc_ && detector_.FilterCommandEnabled(HasSelection() && !Playing() &&
                                                          !PulseAnalysisDialog::RunningOn(doc_));
      return true;
    case kEditPaste:
      st.enabled = doc_ && doc_->Editor().CanPaste() && !Playing() &&
                   !PulseAnalysisDialog::RunningOn(doc_);
      return true;
    default: return false;
  }
}
