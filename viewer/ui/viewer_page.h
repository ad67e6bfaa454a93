// The browser page of the viewer: every navigation and new-window request
// goes to the main form before the page loads anything.
#pragma once

#include <functional>

#include <QWebEnginePage>

namespace bookloom {

class TViewerPage : public QWebEnginePage {
  Q_OBJECT
 public:
  using NavigateHandler = std::function<bool(const QUrl& url, bool isMainFrame)>;
  using NewWindowHandler = std::function<QWebEnginePage*(WebWindowType type)>;

  TViewerPage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent) {}

  NavigateHandler onNavigate;    // true: load it
  NewWindowHandler onNewWindow;  // nullptr: refuse the new window

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
  QWebEnginePage* createWindow(WebWindowType type) override;
};

}  // namespace bookloom
