#include "viewer_schemes.h"

#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>

namespace bookloom {

namespace {
const char* const kSchemes[] = {"cmd", "exec", "res", "mailto"};

class TNotFoundHandler : public QWebEngineUrlSchemeHandler {
 public:
  using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
  void requestStarted(QWebEngineUrlRequestJob* job) override { job->fail(QWebEngineUrlRequestJob::UrlNotFound); }
};
}  // namespace

void RegisterViewerSchemes() {
  static bool done = false;
  if (done) return;
  done = true;
  for (const char* name : kSchemes) {
    QWebEngineUrlScheme scheme(name);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    QWebEngineUrlScheme::registerScheme(scheme);
  }
}

void InstallViewerSchemeHandler(QWebEngineProfile* profile) {
  auto* handler = new TNotFoundHandler(profile);
  for (const char* name : kSchemes) profile->installUrlSchemeHandler(name, handler);
}

}  // namespace bookloom
