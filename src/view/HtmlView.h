#pragma once

#include <QByteArray>
#include <QString>

namespace feedwell::view {

// What ShowHtml needs of an HTML view: take a byte stream as its new document. The browser pane
// implements it with the web engine; tests use a recording fake.
class HtmlView {
 public:
  virtual ~HtmlView() = default;
  // Replaces the document with `bytes` (UTF-8 HTML; empty: an empty document) and returns once the
  // document has loaded, or after a bounded wait.
  virtual void LoadDocument(const QByteArray& bytes) = 0;
};

// The bytes a view receives for `html`: every line (CR LF, lone CR, lone LF) followed by CR LF, the
// last one too, in UTF-8 behind the EF BB BF mark. An empty html gives no bytes at all.
QByteArray DocumentBytes(const QString& html);

// Puts `html` into `view` as its new document.
void ShowHtml(HtmlView& view, const QString& html);

}  // namespace feedwell::view
