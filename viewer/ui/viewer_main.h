// TFrmViewerMain: the viewer's only window. Opens the book, applies its
// settings, runs the page server, shows pages in the browser and decides
// for every navigation whether it stays, leaves or is a viewer command.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QIcon>
#include <QPointer>
#include <QRect>
#include <QStringList>
#include <QWidget>

#include "command_line.h"
#include "page_server.h"
#include "qz_archive.h"
#include "viewer_log.h"
#include "window_config.h"

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QToolButton;
class QWebEngineProfile;
class QWebEngineView;
class QWebEnginePage;

namespace bookloom {

class TOneInstance;
class TViewerPage;

struct TViewerOptions {
  QString exePath;    // the viewer's executable (holds the appended book)
  QStringList args;   // command-line arguments after the program name
};

class TFrmViewerMain : public QWidget {
  Q_OBJECT
 public:
  explicit TFrmViewerMain(const TViewerOptions& options, QWidget* parent = nullptr);
  ~TFrmViewerMain() override;

  // Shows the window the way the book asks (normal, maximised, kiosk).
  void ShowForm();

  bool OpenData(const QString& aFile);
  void LoadPage(const QString& aPage);
  bool ExecCommand(QAction* sender);
  void Debug(const QString& msg);
  void OneInstanceStarted(const QStringList& params);

  bool CanStart = false;
  int DefaultZoomValue = 100;

  // Picks a book for the open command; the file dialog unless replaced.
  std::function<QString(QWidget* parent, const QString& folder)> FOpenBookDialog;

  // Read access for the window's users and tests.
  QWebEngineView* Browser() const { return WebBrowser; }
  QString BaseURL() const;
  QString DataFile() const { return FDataFile; }
  QString AppName() const { return FAppName; }
  int Zoom() const { return FZoom; }
  QMenu* MainMenuPopup() const { return MainMenu; }
  QMenu* ContextMenuPopup() const { return ContextMenu; }
  bool MenuBarVisible() const;
  QAction* ActionByHint(const QString& hint) const;
  const TViewerLog& Log() const { return FLog; }
  std::shared_ptr<const TQzLzhArchive> Book() const { return FQz; }

 signals:
  // A URL handed to the desktop (external link or new-window request).
  void ExternalOpened(const QString& url);
  // A program or book started through RunExternal.
  void ExternalRun(const QString& program, const QStringList& arguments);

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  bool eventFilter(QObject* obj, QEvent* e) override;

 private:
  // Building the window.
  void BuildLayout();
  void BuildActions();
  QAction* AddAction(int tag, const QString& caption, const QString& hint);
  void UpdateImages(int newDPI);
  void UpdateAppButton();
  void AppButtonHighlight(bool value);
  void AppButtonClick();
  void AppDeactivate();
  void EnableAction(QAction* action, bool value);
  void RefreshDebugMemo();

  // Book settings.
  void ApplyBookSettings(const std::vector<std::u16string>& lines);
  void ApplyWindowConfig(const TWindowConfig& cfg);
  void FillMenu(QMenu* menu, const std::vector<std::unique_ptr<TBookMenuItem>>& items);
  std::vector<TMonitor> Monitors() const;
  int ScreenDpi() const;

  // Navigation and commands.
  bool WebBrowserBeforeNavigate2(const QUrl& url, bool isMainFrame);
  QWebEnginePage* WebBrowserNewWindow(int type);
  bool DummyBeforeNavigate2(const QUrl& url);
  void OpenExternal(const QString& url);
  void RunExternal(const QString& target);
  void GenericMenuItemClick(QAction* item);
  void WebBrowserTitleChange(const QString& text);
  void WebBrowserDocumentComplete(bool ok);
  void UpdateBrowserZoom();
  void SetZoom(int percent);
  void WebBrowserKeyUp(int key, Qt::KeyboardModifiers mods);
  void FormAfterMonitorDpiChanged(int oldDPI, int newDPI);
  void PrintPreview();
  void PrintPreviewOf(QWebEngineView* view);
  void HandlePageArguments();
  void ContinueStarted(QStringList params);
  bool IsBrowserWidget(QObject* obj) const;

  // Form components.
  QFrame* pnlMenuBar = nullptr;
  QFrame* AppButton = nullptr;
  QLabel* AppButtonLabel = nullptr;
  QLabel* AppButtonDropDown = nullptr;
  QToolButton* btnHome = nullptr;
  QToolButton* btnBack = nullptr;
  QToolButton* btnForward = nullptr;
  QToolButton* btnPrint = nullptr;
  QLabel* imgLogo = nullptr;
  QWebEngineProfile* FProfile = nullptr;
  QWebEngineView* WebBrowser = nullptr;
  TViewerPage* FPage = nullptr;
  QPointer<TViewerPage> Dummy;
  QPlainTextEdit* meDebug = nullptr;
  QMenu* MainMenu = nullptr;
  QMenu* ContextMenu = nullptr;
  QAction *actHome = nullptr, *actBack = nullptr, *actForward = nullptr, *actSelectAll = nullptr,
          *actCopy = nullptr, *actPrint = nullptr, *actClear = nullptr, *actExit = nullptr,
          *actOpenBook = nullptr;
  QList<QAction*> FActions;

  // State.
  std::shared_ptr<TQzLzhArchive> FQz;
  QString FDataFile = QStringLiteral("???");
  QString FBaseFolder;
  QString FAppName;
  QString FExePath;
  QStringList FMap;
  QStringList FParamStrings;
  QIcon FDefaultIcon;
  bool FFormcreating = false;
  bool FUpdateBrowserZoomAfterLoad = false;
  bool FShown = false;
  bool FResizing = false;
  int FZoom = 100;
  int FDpi = 96;
  TDefaultPos FDefaultPos;
  std::unique_ptr<TOneInstance> OneInstance;
  TViewerLog FLog;
  std::unique_ptr<TPageServer> Server;
  bool FMemoRefreshQueued = false;

  // From the book settings.
  QString FProducerID = QStringLiteral("qz.8");
  QString FIndex;
  bool FKioskMode = false;
  bool FSaveRegistry = false;
  bool FStartMaximized = false;
  float FForceAspectRatio = 0;
  bool FDisplayPageTitle = false;
  bool FOpenExternal = false;
  bool FCommandLine = false;
  bool FUserDefaultMenu = false;
  bool FDebug = false;
  TAppButtonColors FColors;
};

}  // namespace bookloom
