#include "viewer_page.h"

namespace bookloom {

bool TViewerPage::acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) {
  return onNavigate ? onNavigate(url, isMainFrame) : true;
}

QWebEnginePage* TViewerPage::createWindow(WebWindowType type) {
  return onNewWindow ? onNewWindow(type) : nullptr;
}

}  // namespace bookloom
