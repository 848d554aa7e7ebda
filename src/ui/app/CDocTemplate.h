#pragma once
// A document template: which view class a new frame on a document shows.
// All templates share the document class (CNorvaneDoc), the frame class
// (CChildFrame) and one resource string, whose newline-separated parts name
// the document type. Only the default template is known to the document
// manager (File New, Open, recent files, dropped files); the others are
// opened by the new-window commands.
#include <QString>
#include <QStringList>
#include <functional>

namespace nv {
class CNorvaneDoc;
}
class CNvAnaView;
class QWidget;

enum class ViewKind { Default, Combined, Spectrogram, Oscillogram, ZeroCrossing };

class CDocTemplate {
 public:
  // The fields of the resource string below, in its order.
  enum class DocStringIndex { WindowTitle, DocName, FileNewName, FilterName, FilterExt, RegFileTypeId,
                              RegFileTypeName };
  static constexpr const char* kResourceString =
      "\nNorvane\nNorvane\nNorvane Files (*.wav)\n.WAV\nNorvane.Document\nNorvane Document";

  using Factory = std::function<CNvAnaView*(nv::CNorvaneDoc*, QWidget*)>;
  CDocTemplate(ViewKind kind, bool registered, Factory make)
      : kind_(kind), registered_(registered), make_(std::move(make)) {}

  ViewKind Kind() const { return kind_; }
  bool IsRegistered() const { return registered_; }
  CNvAnaView* MakeView(nv::CNorvaneDoc* doc, QWidget* parent) const { return make_(doc, parent); }
  static QString DocString(DocStringIndex i) {
    return QString::fromLatin1(kResourceString).split('\n').value(static_cast<int>(i));
  }

 private:
  ViewKind kind_;
  bool registered_;
  Factory make_;
};
