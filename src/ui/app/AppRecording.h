#pragma once
// The application's part of recording: a recording view opened in a frame of
// its own for the sound view that starts it (that view is active again when
// the recording's frame closes), and the recording views of a document
// stopped and closed before the document's frames close. Owned by the
// application, which is the recording views' host; interface thread only.
#include <functional>
#include <vector>

#include "views/ViewHost.h"

namespace nv {
class CNorvaneDoc;
struct RecordViewSettings;
}  // namespace nv
class CMainFrame;
class CNvAnaView;
class CRecFrame;

class AppRecording {
 public:
  // `host`: the recording views' host; `mainFrame`: the frame the recording
  // frames go in (null: none yet); `activeKind`: the application's active
  // window kind, set on opening.
  AppRecording(ViewHost& host, std::function<CMainFrame*()> mainFrame, ActiveViewKind& activeKind)
      : host_(host), mainFrame_(std::move(mainFrame)), activeKind_(activeKind) {}

  void Open(nv::CNorvaneDoc* doc, CNvAnaView* starter, const nv::RecordViewSettings& settings);
  // Stops each recording of `doc` (all with null), waits for its device and closes its frame.
  void CloseViews(nv::CNorvaneDoc* doc);
  // The recording views' frames of `doc` (all with null).
  std::vector<CRecFrame*> Frames(nv::CNorvaneDoc* doc) const;

 private:
  ViewHost& host_;
  std::function<CMainFrame*()> mainFrame_;
  ActiveViewKind& activeKind_;
};
