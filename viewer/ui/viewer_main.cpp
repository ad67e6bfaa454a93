#include "viewer_main.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <QWindow>

#include "builtin_pages.h"
#include "one_instance.h"
#include "toolbar_images.h"
#include "viewer_page.h"
#include "viewer_schemes.h"

namespace bookloom {

namespace {
QString Q(const std::u16string& s) { return QString::fromStdU16String(s); }
}  // namespace

TFrmViewerMain::TFrmViewerMain(const TViewerOptions& options, QWidget* parent) : QWidget(parent) {
  FExePath = options.exePath.isEmpty() ? QCoreApplication::applicationFilePath() : options.exePath;
  // Instance key and the name the window position is saved under.
  const QString arg1 = options.args.isEmpty() ? QString() : options.args.first();
  const QString bookArg = IsBookFileArgument(arg1) ? arg1 : QString();
  FAppName = bookArg.isEmpty() ? QFileInfo(FExePath).absoluteFilePath() : bookArg;
  OneInstance = std::make_unique<TOneInstance>(InstanceKey(FExePath, bookArg));
  if (!OneInstance->Start()) {
    // A viewer for this executable and book runs: it takes the arguments.
    OneInstance->Hand(options.args);
    CanStart = false;
    return;
  }
  connect(OneInstance.get(), &TOneInstance::Started, this, [this](const QStringList& params) {
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
    OneInstanceStarted(params);
  });

  FFormcreating = true;
  FUpdateBrowserZoomAfterLoad = false;
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(Q(kDefaultTitle));
  resize(750, 526);
  setMinimumSize(400, 400);
  FDefaultIcon = QApplication::windowIcon().isNull() ? QIcon(QPixmap::fromImage(
                     QImage::fromData(LogoPng().data(), int(LogoPng().size())))) : QApplication::windowIcon();
  BuildActions();
  BuildLayout();
  AppButtonHighlight(false);
  connect(qApp, &QApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
    if (s != Qt::ApplicationActive) AppDeactivate();
  });
  qApp->installEventFilter(this);

  Server = std::make_unique<TPageServer>(TMimeTable::CreateDefault(), &FLog);
  FLog.SetListener([this] {
    // Worker threads write too: the memo is refreshed on the UI thread.
    QMetaObject::invokeMethod(this, [this] { RefreshDebugMemo(); }, Qt::QueuedConnection);
  });

  FDebug = false;
  FParamStrings = options.args;
  FDefaultPos = TakeDefaultPos(FParamStrings);
  if (FDefaultPos.stayOnTop) setWindowFlag(Qt::WindowStaysOnTopHint, true);
  FForceAspectRatio = 0;

  QString bookFile;
  if (!FParamStrings.isEmpty() && IsBookFileArgument(FParamStrings.first())) bookFile = FParamStrings.takeFirst();
  CanStart = OpenData(bookFile);
  if (CanStart && !Server->Start()) {
    QMessageBox::critical(nullptr, QStringLiteral("Bookloom"), QStringLiteral("Unable to activate data server"));
    CanStart = false;
  }
  if (CanStart) Server->MakeUrlPrefix(FProducerID.toStdU16String());

  FFormcreating = false;
  FDpi = ScreenDpi();
  DefaultZoomValue = qRound(100.0 * FDpi / 96.0);
  FUpdateBrowserZoomAfterLoad = true;
  UpdateImages(FDpi);
}

TFrmViewerMain::~TFrmViewerMain() {
  qApp->removeEventFilter(this);
  FLog.SetListener(nullptr);
  if (WebBrowser) WebBrowser->stop();
  if (Server) Server->Stop();
  // Pages go before the profile they were made with.
  delete Dummy.data();
  if (WebBrowser) WebBrowser->setPage(nullptr);
  delete FPage;
  delete WebBrowser;
  WebBrowser = nullptr;
}

QAction* TFrmViewerMain::AddAction(int tag, const QString& caption, const QString& hint) {
  auto* a = new QAction(caption, this);
  a->setData(tag);
  a->setProperty("Hint", hint);
  connect(a, &QAction::triggered, this, [this, a] { ExecCommand(a); });
  FActions << a;
  return a;
}

void TFrmViewerMain::BuildActions() {
  actHome = AddAction(-1, QStringLiteral("&Home"), QStringLiteral(":home"));
  actBack = AddAction(1, QStringLiteral("&Back"), QStringLiteral(":back"));
  actForward = AddAction(2, QStringLiteral("&Forward"), QStringLiteral(":forward"));
  actSelectAll = AddAction(11, QStringLiteral("Select &All"), QStringLiteral(":selectall"));
  actCopy = AddAction(10, QStringLiteral("&Copy"), QStringLiteral(":copy"));
  actPrint = AddAction(4, QStringLiteral("&Print"), QStringLiteral(":print"));
  actClear = AddAction(20, QStringLiteral("&Clear browser cache and reload"), QStringLiteral(":clear"));
  actExit = AddAction(99, QStringLiteral("E&xit"), QStringLiteral(":exit"));
  actExit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
  actExit->setShortcutContext(Qt::WindowShortcut);
  addAction(actExit);
  actOpenBook = AddAction(50, QStringLiteral("Open Pagemint Book"), QStringLiteral(":openbook"));
}

QAction* TFrmViewerMain::ActionByHint(const QString& hint) const {
  for (QAction* a : FActions)
    if (a->property("Hint").toString() == hint) return a;
  return nullptr;
}

void TFrmViewerMain::BuildLayout() {
  auto* root = new QVBoxLayout(this);
  root->setContentsMargins(0, 0, 0, 0);
  root->setSpacing(0);

  pnlMenuBar = new QFrame(this);
  pnlMenuBar->setObjectName(QStringLiteral("pnlMenuBar"));
  pnlMenuBar->setFixedHeight(31);
  pnlMenuBar->setAutoFillBackground(true);
  QPalette pal = pnlMenuBar->palette();
  pal.setColor(QPalette::Window, Qt::white);
  pnlMenuBar->setPalette(pal);
  auto* column = new QVBoxLayout(pnlMenuBar);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  auto* bar = new QHBoxLayout;
  bar->setContentsMargins(0, 0, 4, 0);
  bar->setSpacing(0);
  column->addLayout(bar, 1);
  auto* Shape1 = new QFrame(pnlMenuBar);  // the grey line along the bottom
  Shape1->setFixedHeight(1);
  Shape1->setAutoFillBackground(true);
  QPalette linePal = Shape1->palette();
  linePal.setColor(QPalette::Window, QColor(0xA0, 0xA0, 0xA0));
  Shape1->setPalette(linePal);
  column->addWidget(Shape1);

  AppButton = new QFrame(pnlMenuBar);
  AppButton->setFixedSize(169, 30);
  AppButton->setAutoFillBackground(true);
  AppButton->setCursor(Qt::PointingHandCursor);
  auto* ab = new QHBoxLayout(AppButton);
  ab->setContentsMargins(0, 0, 0, 0);
  ab->setSpacing(0);
  AppButtonLabel = new QLabel(AppButton);
  AppButtonLabel->setContentsMargins(12, 4, 0, 4);
  QFont lf = AppButtonLabel->font();
  lf.setBold(true);
  AppButtonLabel->setFont(lf);
  AppButtonDropDown = new QLabel(QStringLiteral("\u25BC"), AppButton);
  AppButtonDropDown->setContentsMargins(12, 0, 12, 0);
  QFont af = AppButtonDropDown->font();
  af.setPointSizeF(af.pointSizeF() * 0.7);
  AppButtonDropDown->setFont(af);
  ab->addWidget(AppButtonLabel);
  ab->addWidget(AppButtonDropDown);
  ab->addStretch();
  for (QWidget* w : {static_cast<QWidget*>(AppButton), static_cast<QWidget*>(AppButtonLabel),
                     static_cast<QWidget*>(AppButtonDropDown)})
    w->installEventFilter(this);
  bar->addWidget(AppButton);
  bar->addSpacing(12);

  auto makeButton = [this](QAction* action) {
    auto* b = new QToolButton(pnlMenuBar);
    b->setAutoRaise(true);
    b->setFixedSize(31, 30);
    b->setFocusPolicy(Qt::NoFocus);
    connect(b, &QToolButton::clicked, action, &QAction::trigger);
    connect(action, &QAction::changed, b, [b, action] { b->setEnabled(action->isEnabled()); });
    return b;
  };
  btnHome = makeButton(actHome);
  btnBack = makeButton(actBack);
  btnForward = makeButton(actForward);
  btnPrint = makeButton(actPrint);
  bar->addWidget(btnHome);
  bar->addWidget(btnBack);
  bar->addWidget(btnForward);
  bar->addStretch();
  imgLogo = new QLabel(pnlMenuBar);
  imgLogo->setFixedSize(57, 30);
  imgLogo->setPixmap(QPixmap::fromImage(QImage::fromData(LogoPng().data(), int(LogoPng().size())))
                         .scaled(57, 30, Qt::KeepAspectRatio, Qt::SmoothTransformation));
  imgLogo->hide();
  bar->addWidget(btnPrint);
  bar->addWidget(imgLogo);
  root->addWidget(pnlMenuBar);

  FProfile = new QWebEngineProfile(this);  // off the record: nothing kept on disk
  FProfile->setHttpCacheType(QWebEngineProfile::NoCache);
  // Other schemes the browser does not know go to the desktop, as the
  // navigation rules would send them.
  FProfile->settings()->setUnknownUrlSchemePolicy(QWebEngineSettings::AllowAllUnknownUrlSchemes);
  InstallViewerSchemeHandler(FProfile);
  WebBrowser = new QWebEngineView(this);
  FPage = new TViewerPage(FProfile, WebBrowser);
  WebBrowser->setPage(FPage);
  WebBrowser->setAcceptDrops(false);
  FPage->onNavigate = [this](const QUrl& url, bool main) { return WebBrowserBeforeNavigate2(url, main); };
  FPage->onNewWindow = [this](QWebEnginePage::WebWindowType t) { return WebBrowserNewWindow(int(t)); };
  connect(FPage, &QWebEnginePage::titleChanged, this, &TFrmViewerMain::WebBrowserTitleChange);
  connect(FPage, &QWebEnginePage::loadFinished, this, &TFrmViewerMain::WebBrowserDocumentComplete);
  connect(FPage->action(QWebEnginePage::Back), &QAction::changed, this,
          [this] { EnableAction(actBack, FPage->action(QWebEnginePage::Back)->isEnabled()); });
  connect(FPage->action(QWebEnginePage::Forward), &QAction::changed, this,
          [this] { EnableAction(actForward, FPage->action(QWebEnginePage::Forward)->isEnabled()); });
  connect(WebBrowser, &QWidget::customContextMenuRequested, this, [this] {
    if (ContextMenu && !FUserDefaultMenu) ContextMenu->popup(QCursor::pos());
  });
  root->addWidget(WebBrowser, 1);
  setFocusProxy(WebBrowser);

  meDebug = new QPlainTextEdit(this);
  meDebug->setReadOnly(true);
  meDebug->setFixedHeight(136);
  meDebug->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  meDebug->hide();
  root->addWidget(meDebug);

  MainMenu = new QMenu(this);
  ContextMenu = new QMenu(this);
}

bool TFrmViewerMain::MenuBarVisible() const { return pnlMenuBar && !pnlMenuBar->isHidden(); }

void TFrmViewerMain::EnableAction(QAction* action, bool value) { action->setEnabled(value); }

void TFrmViewerMain::UpdateImages(int newDPI) {
  const int size = ImageListSize(newDPI);
  btnHome->setIcon(ToolbarIcon(TToolbarImage::Home, size));
  btnBack->setIcon(ToolbarIcon(TToolbarImage::Back, size));
  btnForward->setIcon(ToolbarIcon(TToolbarImage::Forward, size));
  btnPrint->setIcon(ToolbarIcon(TToolbarImage::Print, size));
  for (QToolButton* b : {btnHome, btnBack, btnForward, btnPrint}) b->setIconSize(QSize(20, 20));
}

void TFrmViewerMain::UpdateAppButton() {
  const QFontMetrics fm(AppButtonLabel->font());
  const int labelWidth = fm.horizontalAdvance(AppButtonLabel->text()) + 1;
  AppButtonLabel->setFixedWidth(labelWidth + 12);
  const QFontMetrics am(AppButtonDropDown->font());
  const int arrow = am.horizontalAdvance(AppButtonDropDown->text()) + 1;
  AppButtonDropDown->setFixedWidth(arrow + 24);
  AppButton->setFixedWidth(labelWidth + 12 + arrow + 24);
}

namespace {
QColor FromBGR(std::uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
}  // namespace

void TFrmViewerMain::AppButtonHighlight(bool value) {
  QPalette pal = AppButton->palette();
  pal.setColor(QPalette::Window, FromBGR(value ? FColors.highlight : FColors.color));
  AppButton->setPalette(pal);
  for (QLabel* l : {AppButtonLabel, AppButtonDropDown}) {
    QPalette lp = l->palette();
    lp.setColor(QPalette::WindowText, FromBGR(value ? FColors.fontHighlight : FColors.fontColor));
    l->setPalette(lp);
  }
}

void TFrmViewerMain::AppButtonClick() {
  MainMenu->exec(AppButton->mapToGlobal(QPoint(0, AppButton->height())));
  AppButtonHighlight(false);
}

void TFrmViewerMain::AppDeactivate() {
  if (MenuBarVisible()) AppButtonHighlight(false);
}

void TFrmViewerMain::Debug(const QString& msg) {
  if (FDebug) FLog.Debug(msg.toStdU16String());
}

void TFrmViewerMain::RefreshDebugMemo() {
  if (!meDebug || !FDebug) return;
  QStringList lines;
  for (const auto& l : FLog.Lines()) lines << Q(l);
  meDebug->setPlainText(lines.join(u'\n'));
  meDebug->moveCursor(QTextCursor::End);
}

QString TFrmViewerMain::BaseURL() const { return Server ? Q(Server->BaseURL()) : QString(); }

bool TFrmViewerMain::OpenData(const QString& aFile) {
  if (aFile.compare(FDataFile, Qt::CaseInsensitive) == 0) return true;
  FBaseFolder = QFileInfo(FExePath).absolutePath();
  EnableAction(actBack, false);
  EnableAction(actForward, false);
  // The old book stays alive while the server still answers requests from
  // it: the server holds its own reference until they finish.
  const QString path = aFile.isEmpty() ? FExePath : aFile;
  auto qz = std::make_shared<TQzLzhArchive>(std::string(QFile::encodeName(path).constData()));
  if (!aFile.isEmpty()) FBaseFolder = QFileInfo(aFile).absolutePath();
  FQz = qz;
  FMap.clear();
  if (qz->FOpen) {
    ApplyBookSettings(qz->FSystem);
    for (const auto& l : qz->FMaplist) FMap << Q(l);
    QPixmap icon;
    if (!qz->FIcon.empty() && icon.loadFromData(qz->FIcon.data(), uint(qz->FIcon.size()), "ICO"))
      QApplication::setWindowIcon(QIcon(icon));
    else
      QApplication::setWindowIcon(FDefaultIcon);
  } else {
    ApplyBookSettings({});
    QApplication::setWindowIcon(FDefaultIcon);
  }
  setWindowIcon(QApplication::windowIcon());
  if (Server) Server->SetBook(FQz);
  FDataFile = aFile;
  return true;
}

void TFrmViewerMain::LoadPage(const QString& aPage) {
  QString page = aPage;
  if (page.isEmpty()) page = FIndex;
  if (page.isEmpty()) page = FQz && FQz->FileCount() > 0 ? QStringLiteral("index.html") : QStringLiteral(":default.html");
  const QString url = page.startsWith(QStringLiteral("http://")) ? page : BaseURL() + page;
  WebBrowser->load(QUrl(url));
}

bool TFrmViewerMain::ExecCommand(QAction* sender) {
  if (!sender) return true;
  switch (sender->data().toInt()) {
    case -1: LoadPage(QString()); break;
    case 1: WebBrowser->back(); break;
    case 2: WebBrowser->forward(); break;
    case 4: PrintPreview(); break;
    case 10: WebBrowser->triggerPageAction(QWebEnginePage::Copy); break;
    case 11: WebBrowser->triggerPageAction(QWebEnginePage::SelectAll); break;
    case 20:
      if (QMessageBox::question(this, windowTitle(), QStringLiteral("Clear browser cache and reload page?"),
                                QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes) {
        WebBrowser->history()->clear();
        FProfile->clearHttpCache();
        Debug(QStringLiteral("Clear history and browser cache"));
        EnableAction(actBack, false);
        EnableAction(actForward, false);
        LoadPage(QString());
      }
      break;
    case 50: {
      const QString file = FOpenBookDialog
                               ? FOpenBookDialog(this, FBaseFolder)
                               : QFileDialog::getOpenFileName(this, QString(), FBaseFolder,
                                                              QStringLiteral("Pagemint Books (*.pagemint)"));
      if (file.isEmpty()) return false;
      OpenData(file);
      return true;
    }
    case 99: QTimer::singleShot(0, this, &QWidget::close); break;
    default: break;
  }
  return true;
}

void TFrmViewerMain::ShowForm() {
  if (FKioskMode) showFullScreen();
  else if (FStartMaximized) showMaximized();
  else show();
}

void TFrmViewerMain::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (FShown) return;
  FShown = true;
  if (QWindow* w = windowHandle())
    connect(w, &QWindow::screenChanged, this, [this] {
      const int dpi = ScreenDpi();
      if (dpi != FDpi) FormAfterMonitorDpiChanged(std::exchange(FDpi, dpi), dpi);
    });
  // The pages of the command line, or the start page.
  if (FCommandLine && !FParamStrings.isEmpty()) HandlePageArguments();
  else LoadPage(QString());
}

void TFrmViewerMain::HandlePageArguments() {
  while (!FParamStrings.isEmpty()) {
    QString arg = FParamStrings.takeFirst();
    if (arg.compare(QStringLiteral("close"), Qt::CaseInsensitive) == 0) {
      QTimer::singleShot(0, this, &QWidget::close);
      return;
    }
    if (!FMap.isEmpty() && IsContextNumber(arg)) arg = MapContext(FMap, arg);
    LoadPage(arg);
  }
}

void TFrmViewerMain::OneInstanceStarted(const QStringList& params) {
  if (params.isEmpty()) {
    OpenData(QString());
    LoadPage(QString());
    return;
  }
  // Leave the current page first, then take the new arguments.
  WebBrowser->load(QUrl(QStringLiteral("about:blank")));
  QTimer::singleShot(300, this, [this, params] { ContinueStarted(params); });
}

void TFrmViewerMain::ContinueStarted(QStringList params) {
  FDefaultPos = TakeDefaultPos(params);
  if (FDefaultPos.stayOnTop && !(windowFlags() & Qt::WindowStaysOnTopHint)) {
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    show();
  }
  if (!params.isEmpty() && IsBookFileArgument(params.first())) OpenData(params.takeFirst());
  FParamStrings = params;
  if (FParamStrings.isEmpty()) LoadPage(QString());
  else HandlePageArguments();
}

}  // namespace bookloom
