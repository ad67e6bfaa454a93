// Applying the book settings to the window, the book menus, saving the
// window position and keeping the aspect ratio.
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QScreen>
#include <QToolButton>
#include <QWebEngineView>

#include "viewer_main.h"
#include "winpos_store.h"

namespace bookloom {

namespace {
QString Q(const std::u16string& s) { return QString::fromStdU16String(s); }
TRect ToTRect(const QRect& r) { return TRect{r.x(), r.y(), r.width(), r.height()}; }
}  // namespace

std::vector<TMonitor> TFrmViewerMain::Monitors() const {
  std::vector<TMonitor> out;
  const QScreen* primary = QGuiApplication::primaryScreen();
  for (const QScreen* s : QGuiApplication::screens())
    out.push_back(TMonitor{ToTRect(s->geometry()), qRound(s->logicalDotsPerInch()), s == primary});
  return out;
}

int TFrmViewerMain::ScreenDpi() const {
  // The screen nearest to the window's centre; Qt already scales widgets,
  // so its logical dots per inch are what pages need beyond that.
  const QScreen* s = QGuiApplication::screenAt(frameGeometry().center());
  if (!s) s = screen();
  if (!s) s = QGuiApplication::primaryScreen();
  return s ? qRound(s->logicalDotsPerInch()) : 96;
}

void TFrmViewerMain::ApplyBookSettings(const std::vector<std::u16string>& lines) {
  const TBookSettings settings(lines);
  TWindowState ws;
  ws.bounds = ToTRect(frameGeometry());
  ws.clientWidth = width();
  ws.clientHeight = height();
  ws.menuBarHeight = pnlMenuBar->height();
  ws.menuBarVisible = !pnlMenuBar->isHidden();
  ws.minWidth = minimumWidth();
  ws.minHeight = minimumHeight();
  ws.creating = FFormcreating;
  const TRect defPos = ToTRect(FDefaultPos.rect);
  const TWinPosStore store;
  const TWindowConfig cfg =
      ComputeWindowConfig(settings, ws, Monitors(), defPos, &store, FAppName.toStdU16String());
  ApplyWindowConfig(cfg);
}

void TFrmViewerMain::ApplyWindowConfig(const TWindowConfig& cfg) {
  setWindowTitle(Q(cfg.title));
  FProducerID = Q(cfg.producerID);
  FKioskMode = cfg.kioskMode;
  FSaveRegistry = cfg.saveRegistry;
  FIndex = Q(cfg.index);
  FForceAspectRatio = cfg.forceAspectRatio;

  if (cfg.kioskMode) {
    setWindowFlag(Qt::FramelessWindowHint, true);
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    FStartMaximized = true;
    if (isVisible()) showFullScreen();
  } else {
    setWindowFlag(Qt::WindowMaximizeButtonHint, cfg.sizeable);
    const QMargins frame(geometry().left() - frameGeometry().left(), geometry().top() - frameGeometry().top(),
                         frameGeometry().right() - geometry().right(),
                         frameGeometry().bottom() - geometry().bottom());
    if (cfg.moveWindow) move(cfg.bounds.left, cfg.bounds.top);
    const int w = cfg.bounds.width - frame.left() - frame.right();
    const int h = cfg.bounds.height - frame.top() - frame.bottom();
    if (cfg.sizeable) {
      setMinimumSize(cfg.minWidth, cfg.minHeight);
      setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
      resize(w, h);
    } else {
      setFixedSize(w, h);
    }
    FStartMaximized = cfg.maximized;
    if (cfg.maximized && isVisible()) showMaximized();
    if (cfg.validateWinpos) {
      TWinposInput in;
      in.bounds = ToTRect(frameGeometry());
      in.maximized = isMaximized();
      in.minimized = isMinimized();
      in.sizeable = cfg.sizeable;
      in.minWidth = minimumWidth();
      in.minHeight = minimumHeight();
      in.maxWidth = maximumWidth() >= QWIDGETSIZE_MAX ? 0 : maximumWidth();
      in.maxHeight = maximumHeight() >= QWIDGETSIZE_MAX ? 0 : maximumHeight();
      const TWinposResult r = ValidateWinpos(in, Monitors(), false);
      if (r.changed) {
        if (r.restoreNormal) showNormal();
        move(r.bounds.left, r.bounds.top);
        resize(r.bounds.width - frame.left() - frame.right(), r.bounds.height - frame.top() - frame.bottom());
      }
    }
  }

  // Menus: the actions take the captions the book gives them.
  pnlMenuBar->setVisible(cfg.menuBarVisible);
  MainMenu->clear();
  if (cfg.menuBarVisible) {
    AppButtonLabel->setText(Q(cfg.appButtonCaption));
    UpdateAppButton();
    FillMenu(MainMenu, cfg.mainMenu.items);
  }
  FUserDefaultMenu = cfg.userDefaultMenu;
  ContextMenu->clear();
  if (!FUserDefaultMenu) FillMenu(ContextMenu, cfg.contextMenu.items);
  WebBrowser->setContextMenuPolicy(FUserDefaultMenu ? Qt::DefaultContextMenu : Qt::CustomContextMenu);

  FDisplayPageTitle = cfg.displayPageTitle;
  FOpenExternal = cfg.openExternal;
  FCommandLine = cfg.commandLine;

  const std::pair<QToolButton*, QAction*> buttons[] = {
      {btnHome, actHome}, {btnBack, actBack}, {btnForward, actForward}, {btnPrint, actPrint}};
  for (const auto& [button, action] : buttons) {
    button->setText(QString());
    button->setToolTip(Q(StripAccelerators(action->text().toStdU16String())));
  }

  if (cfg.appButtonColorsSet) {
    FColors = cfg.colors;
    AppButtonHighlight(false);
  }
  FDebug = cfg.debug;
  FLog.SetEnabled(FDebug);
  meDebug->setVisible(FDebug);
}

void TFrmViewerMain::FillMenu(QMenu* menu, const std::vector<std::unique_ptr<TBookMenuItem>>& items) {
  for (const auto& item : items) {
    const QString caption = Q(item->caption);
    const QString command = Q(item->command);
    if (item->separator || item->type == 6 || caption.isEmpty() || caption == u"-") {
      menu->addSeparator();
      continue;
    }
    if (item->type == 5) {
      FillMenu(menu->addMenu(caption), item->children);
      continue;
    }
    if (item->type == 1) {
      if (QAction* action = ActionByHint(command)) {
        action->setText(caption);
        menu->addAction(action);
        continue;
      }
    }
    QAction* a = menu->addAction(caption);
    a->setData(item->type);
    a->setProperty("Hint", command);
    connect(a, &QAction::triggered, this, [this, a] { GenericMenuItemClick(a); });
  }
}

void TFrmViewerMain::closeEvent(QCloseEvent* e) {
  if (FSaveRegistry) {
    const QRect r = frameGeometry();
    TWinPosStore store;
    store.Write(FAppName.toStdU16String(),
                FormatWinPos(TRect{r.x(), r.y(), r.width(), r.height()}, isMaximized()));
  }
  e->accept();
}

void TFrmViewerMain::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  if (FResizing || FForceAspectRatio <= 0 || isMaximized() || isFullScreen() || !WebBrowser) return;
  if (!e->oldSize().isValid()) return;
  // The layout has already sized the browser: the chrome around it is fixed.
  const QRect win = frameGeometry();
  const int chromeW = win.width() - WebBrowser->width();
  const int chromeH = win.height() - WebBrowser->height();
  const int extraW = win.width() - width(), extraH = win.height() - height();
  const TRect old{win.x(), win.y(), e->oldSize().width() + extraW, e->oldSize().height() + extraH};
  int newWidth = win.width(), newHeight = win.height();
  AspectCanResize(FForceAspectRatio, false, old, old.width - chromeW, old.height - chromeH, newWidth,
                  newHeight);
  if (newWidth != win.width() || newHeight != win.height()) {
    FResizing = true;
    resize(newWidth - extraW, newHeight - extraH);
    FResizing = false;
  }
}

}  // namespace bookloom
