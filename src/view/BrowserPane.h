#pragma once

#include <QByteArray>
#include <QHash>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlSchemeHandler>
#include <QWebEngineView>
#include <functional>

#include "view/HtmlView.h"
#include "view/PreviewPolicy.h"

class QWebEngineProfile;

namespace feedwell::view {

// Registers the scheme under which the pane serves its documents, which lifts the engine's 2 MB
// limit on documents given directly. Call once before the QApplication is created; a pane made
// without it falls back to direct documents.
void RegisterPreviewScheme();

// Opens a URL outside the pane (the desktop's browser or mail program).
using ExternalOpener = std::function<void(const QUrl&)>;

// Refuses every request the preview policy does not allow, and counts them.
class PreviewRequestBlocker : public QWebEngineUrlRequestInterceptor {
  Q_OBJECT

 public:
  PreviewRequestBlocker(QString dataDir, QObject* parent);
  void interceptRequest(QWebEngineUrlRequestInfo& info) override;
  int blockedCount() const { return blocked_; }

 private:
  QString dataDir_;
  int blocked_ = 0;
};

// Serves the pane's documents by path.
class PreviewDocuments : public QWebEngineUrlSchemeHandler {
  Q_OBJECT

 public:
  explicit PreviewDocuments(QObject* parent) : QWebEngineUrlSchemeHandler(parent) {}
  // Keeps only the newest document (a reload of an older one fails).
  void Put(const QString& path, const QByteArray& bytes);
  void requestStarted(QWebEngineUrlRequestJob* job) override;

 private:
  QString path_;
  QByteArray bytes_;
};

// The pane's page: only the pane's own loads replace the document; clicked links leave for the
// desktop, and everything a document starts on its own is refused.
class PreviewPage : public QWebEnginePage {
  Q_OBJECT

 public:
  PreviewPage(QWebEngineProfile* profile, ExternalOpener opener, QObject* parent);

  // The next main-frame load of `url` is the pane's own.
  void ExpectOwnLoad(const QUrl& url) { expected_ = url; }
  void SetOpener(ExternalOpener opener) { opener_ = std::move(opener); }

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
  QWebEnginePage* createWindow(WebWindowType type) override;

 private:
  ExternalOpener opener_;
  QUrl expected_;
};

// The browser pane: a web view with its own off-the-record profile, scripts off, no request
// outside its own documents, inline data and the home's Data folder.
class BrowserPane : public QWebEngineView, public HtmlView {
  Q_OBJECT

 public:
  // `dataDir`: the only folder whose files a document may show.
  explicit BrowserPane(const QString& dataDir, QWidget* parent = nullptr);
  ~BrowserPane() override;

  void LoadDocument(const QByteArray& bytes) override;

  // The bytes of the latest document given to the pane.
  const QByteArray& LastDocument() const { return lastDocument_; }
  int blockedRequests() const { return blocker_->blockedCount(); }
  void SetExternalOpener(ExternalOpener opener) { page_->SetOpener(std::move(opener)); }

 private:
  void WaitForLoad(quint64 serial);

  QWebEngineProfile* profile_;
  PreviewRequestBlocker* blocker_;
  PreviewDocuments* documents_;
  PreviewPage* page_;
  QString dataDir_;
  QByteArray lastDocument_;
  QUrl currentUrl_;
  quint64 serial_ = 0;
  quint64 finished_ = 0;
};

}  // namespace feedwell::view
