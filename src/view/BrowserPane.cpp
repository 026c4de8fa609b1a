#include "view/BrowserPane.h"

#include <QBuffer>
#include <QDesktopServices>
#include <QEventLoop>
#include <QTimer>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

namespace feedwell::view {
namespace {

const QByteArray kSchemeName(kPreviewScheme);

// How long ShowHtml waits for a document; the engine normally needs a few milliseconds.
constexpr int kLoadWaitMs = 5000;
// Documents given directly travel as a data URL, which the engine limits to 2 MB.
constexpr qsizetype kDirectLimit = 1500 * 1024;

bool SchemeRegistered() {
  return QWebEngineUrlScheme::schemeByName(kSchemeName).name() == kSchemeName;
}

void OpenOnDesktop(const QUrl& url) {
  QDesktopServices::openUrl(url);
}

// A window a link asks for (target="_blank"): its first navigation goes to the desktop, and the page
// goes away without ever loading anything.
class LinkCatcherPage : public QWebEnginePage {
 public:
  LinkCatcherPage(QWebEngineProfile* profile, ExternalOpener opener, QObject* parent)
      : QWebEnginePage(profile, parent), opener_(std::move(opener)) {}

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
    if (isMainFrame && !done_) {
      done_ = true;
      const bool clicked = type == NavigationTypeLinkClicked || type == NavigationTypeTyped;
      if (DecideNavigation(url, clicked ? NavigationKind::LinkClicked : NavigationKind::Other) ==
              NavigationVerdict::OpenOutside &&
          opener_)
        opener_(url);
      deleteLater();
    }
    return false;
  }

 private:
  ExternalOpener opener_;
  bool done_ = false;
};

void LockDown(QWebEngineSettings* s) {
  s->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
  s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
  s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
  s->setAttribute(QWebEngineSettings::LocalStorageEnabled, false);
  s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
  s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);  // thumbnails in Data/
  s->setAttribute(QWebEngineSettings::HyperlinkAuditingEnabled, false);
  s->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
  s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
  s->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
  s->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, false);
  s->setAttribute(QWebEngineSettings::WebGLEnabled, false);
  s->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
  s->setAttribute(QWebEngineSettings::TouchIconsEnabled, false);
  s->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);  // the list keeps the focus
  s->setAttribute(QWebEngineSettings::AllowRunningInsecureContent, false);
  s->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
  s->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
  s->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
  s->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);
}

}  // namespace

void RegisterPreviewScheme() {
  if (SchemeRegistered()) return;
  QWebEngineUrlScheme scheme(kSchemeName);
  scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
  scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::LocalAccessAllowed);
  QWebEngineUrlScheme::registerScheme(scheme);
}

PreviewRequestBlocker::PreviewRequestBlocker(QString dataDir, QObject* parent)
    : QWebEngineUrlRequestInterceptor(parent), dataDir_(std::move(dataDir)) {}

void PreviewRequestBlocker::interceptRequest(QWebEngineUrlRequestInfo& info) {
  if (PreviewMayRequest(info.requestUrl(), dataDir_)) return;
  info.block(true);
  ++blocked_;
}

void PreviewDocuments::Put(const QString& path, const QByteArray& bytes) {
  path_ = path;
  bytes_ = bytes;
}

void PreviewDocuments::requestStarted(QWebEngineUrlRequestJob* job) {
  if (job->requestUrl().path() != path_ || job->requestMethod() != QByteArrayLiteral("GET")) {
    job->fail(QWebEngineUrlRequestJob::UrlNotFound);
    return;
  }
  auto* buffer = new QBuffer(job);
  buffer->setData(bytes_);
  buffer->open(QIODevice::ReadOnly);
  job->reply(QByteArrayLiteral("text/html"), buffer);
}

PreviewPage::PreviewPage(QWebEngineProfile* profile, ExternalOpener opener, QObject* parent)
    : QWebEnginePage(profile, parent), opener_(std::move(opener)) {}

bool PreviewPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
  NavigationKind kind = NavigationKind::Other;
  if (isMainFrame && type == NavigationTypeTyped && !expected_.isEmpty() &&
      (url == expected_ ||
       (expected_.scheme() == QLatin1String("data") && url.scheme() == QLatin1String("data")))) {
    kind = NavigationKind::OwnLoad;
    expected_.clear();
  } else if (type == NavigationTypeLinkClicked) {
    kind = NavigationKind::LinkClicked;
  }
  switch (DecideNavigation(url, kind)) {
    case NavigationVerdict::Load:
      return true;
    case NavigationVerdict::OpenOutside:
      if (opener_) opener_(url);
      return false;
    case NavigationVerdict::Refuse:
      return false;
  }
  return false;
}

QWebEnginePage* PreviewPage::createWindow(WebWindowType) {
  return new LinkCatcherPage(profile(), opener_, this);
}

BrowserPane::BrowserPane(const QString& dataDir, QWidget* parent)
    : QWebEngineView(parent),
      profile_(new QWebEngineProfile(this)),  // no storage name: off the record
      blocker_(new PreviewRequestBlocker(dataDir, this)),
      documents_(new PreviewDocuments(this)),
      dataDir_(dataDir) {
  setObjectName(QStringLiteral("WebBrowser1"));
  profile_->setUrlRequestInterceptor(blocker_);
  profile_->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
  profile_->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
  LockDown(profile_->settings());
  if (SchemeRegistered()) profile_->installUrlSchemeHandler(kSchemeName, documents_);
  page_ = new PreviewPage(profile_, &OpenOnDesktop, this);
  LockDown(page_->settings());
  setPage(page_);
  setContextMenuPolicy(Qt::NoContextMenu);
  connect(page_, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo& info) {
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) return;
    if (currentUrl_.isEmpty() || info.url() == currentUrl_) finished_ = serial_;
  });
}

BrowserPane::~BrowserPane() {
  // The page goes before the profile it was made with.
  delete page_;
}

void BrowserPane::LoadDocument(const QByteArray& bytes) {
  lastDocument_ = bytes;
  const quint64 serial = ++serial_;
  if (bytes.size() > kDirectLimit && SchemeRegistered()) {
    // Beyond what a data URL carries: served under the pane's own scheme (slower to start).
    currentUrl_ = QUrl(QStringLiteral("%1:document/%2").arg(QLatin1String(kPreviewScheme)).arg(serial));
    documents_->Put(currentUrl_.path(), bytes);
    page_->ExpectOwnLoad(currentUrl_);
    page_->load(currentUrl_);
  } else {
    currentUrl_.clear();
    page_->ExpectOwnLoad(QUrl(QStringLiteral("data:")));
    const QByteArray shown = bytes.size() <= kDirectLimit
                                 ? bytes
                                 : QByteArrayLiteral("<p>This message is too large to preview here.</p>");
    page_->setContent(shown, QStringLiteral("text/html;charset=utf-8"), QUrl::fromLocalFile(dataDir_ + u'/'));
  }
  WaitForLoad(serial);
}

// Waits until this load has finished, a newer load has replaced it, or the wait runs out. Events are
// handled meanwhile, so the window stays responsive.
void BrowserPane::WaitForLoad(quint64 serial) {
  QEventLoop loop;
  QTimer limit;
  limit.setSingleShot(true);
  connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
  connect(page_, &QWebEnginePage::loadingChanged, &loop, &QEventLoop::quit, Qt::QueuedConnection);
  limit.start(kLoadWaitMs);
  while (finished_ < serial && serial_ == serial && limit.isActive()) loop.exec();
}

}  // namespace feedwell::view
