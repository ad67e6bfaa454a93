// The browser side of the main form: navigation rules, new windows,
// external targets, title, zoom, keys and printing.
#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPointer>
#include <QProcess>
#include <QTimer>
#include <QWebEngineView>

#include "navigation.h"
#include "page_server.h"
#include "viewer_main.h"
#include "viewer_page.h"

namespace bookloom {

namespace {
constexpr int kMinZoom = 25;
// Qt WebEngine's largest zoom factor is 5.0.
constexpr int kMaxZoom = 500;
}  // namespace

bool TFrmViewerMain::WebBrowserBeforeNavigate2(const QUrl& url, bool isMainFrame) {
  const QString u = url.toString(QUrl::FullyEncoded);
  switch (DecideNavigation(u, BaseURL(), FOpenExternal)) {
    case TNavAction::Exec:
      Debug(QStringLiteral("Execute file: ") + u);
      RunExternal(u);
      return false;
    case TNavAction::OpenBook:
      // Leave the navigation first: the open command shows a dialog.
      QTimer::singleShot(0, this, [this] {
        if (ExecCommand(actOpenBook)) LoadPage(QString());
      });
      return false;
    case TNavAction::External:
      OpenExternal(u);
      return false;
    case TNavAction::Allow:
      break;
  }
  if (FDebug)
    Debug(QStringLiteral("Load page: ") + u + (isMainFrame ? QString() : QStringLiteral(" -> Frame: (frame)")));
  return true;
}

void TFrmViewerMain::OpenExternal(const QString& url) {
  Debug(QStringLiteral("Open external window: ") + url);
  emit ExternalOpened(url);
  QDesktopServices::openUrl(QUrl(url));
}

QWebEnginePage* TFrmViewerMain::WebBrowserNewWindow(int) {
  // The new window is a page that is never shown: its first navigation is
  // taken over by DummyBeforeNavigate2.
  Debug(QStringLiteral("Newwindow2 ignored -> display in main window"));
  if (Dummy) Dummy->deleteLater();
  auto* dummy = new TViewerPage(FPage->profile(), this);
  dummy->onNavigate = [this](const QUrl& url, bool) { return DummyBeforeNavigate2(url); };
  dummy->onNewWindow = [this](QWebEnginePage::WebWindowType) -> QWebEnginePage* {
    Debug(QStringLiteral("DummyNewWindow2"));
    return nullptr;
  };
  Dummy = dummy;
  return dummy;
}

bool TFrmViewerMain::DummyBeforeNavigate2(const QUrl& url) {
  const QString u = url.toString(QUrl::FullyEncoded);
  Debug(QStringLiteral("Newwindow3, bstrUrlContext = ") + BaseURL() + QStringLiteral(" bstrUrl = ") + u);
  if (NewWindowGoesExternal(u)) {
    OpenExternal(u);
    return false;
  }
  Debug(QStringLiteral("DummyBeforeNavigate2 -> display ") + u + QStringLiteral(" in: "));
  Debug(QStringLiteral("HandleNewWindowLink: ") + u + QStringLiteral(" frame: "));
  QTimer::singleShot(0, this, [this, url] { WebBrowser->load(url); });
  return false;
}

void TFrmViewerMain::RunExternal(const QString& target) {
  const QString decoded = QString::fromStdU16String(DecodePercent(target.toStdU16String()));
  const TExternalTarget t = SplitExternalTarget(decoded, FDataFile, FExePath);
  if (t.program.isEmpty()) return;
  emit ExternalRun(t.program, t.arguments);
  QFileInfo fi(t.program);
  if (!fi.isAbsolute()) fi = QFileInfo(FBaseFolder + u'/' + t.program);
  if (fi.exists() && fi.isFile() && fi.isExecutable()) {
    QProcess::startDetached(fi.absoluteFilePath(), t.arguments, FBaseFolder);
  } else if (fi.exists()) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(fi.absoluteFilePath()));  // a document
  } else {
    QProcess::startDetached(t.program, t.arguments, FBaseFolder);  // a program on the PATH
  }
}

void TFrmViewerMain::GenericMenuItemClick(QAction* item) {
  const QString command = item->property("Hint").toString();
  switch (item->data().toInt()) {
    case 2: LoadPage(command); break;
    case 3: WebBrowser->load(QUrl(command)); break;
    case 4: RunExternal(command); break;
    default: break;
  }
}

void TFrmViewerMain::WebBrowserTitleChange(const QString& text) {
  if (!FDisplayPageTitle) return;
  // The browser reports an untitled page by its address.
  if (text.startsWith(QStringLiteral("http://127")) || text.startsWith(QStringLiteral("127."))) return;
  setWindowTitle(text.trimmed().isEmpty() ? QStringLiteral("Pagemint Viewer") : text);
}

void TFrmViewerMain::WebBrowserDocumentComplete(bool) {
  if (FUpdateBrowserZoomAfterLoad) UpdateBrowserZoom();
}

void TFrmViewerMain::UpdateBrowserZoom() {
  FUpdateBrowserZoomAfterLoad = false;
  SetZoom(DefaultZoomValue);
}

void TFrmViewerMain::SetZoom(int percent) {
  FZoom = std::clamp(percent, kMinZoom, kMaxZoom);
  WebBrowser->setZoomFactor(FZoom / 100.0);
}

void TFrmViewerMain::WebBrowserKeyUp(int key, Qt::KeyboardModifiers mods) {
  const Qt::KeyboardModifiers m = mods & ~Qt::KeypadModifier;
  if (m == Qt::ControlModifier) {
    if (key == Qt::Key_0) SetZoom(DefaultZoomValue);
    else if ((key == Qt::Key_Plus || key == Qt::Key_Equal) && !(mods & Qt::KeypadModifier)) {
      SetZoom(FZoom + 10);
    } else if (key == Qt::Key_Minus && !(mods & Qt::KeypadModifier)) {
      SetZoom(FZoom - 10);
    }
  } else if (m == (Qt::ControlModifier | Qt::ShiftModifier) && key == Qt::Key_C) {
    ExecCommand(actClear);
  }
}

void TFrmViewerMain::FormAfterMonitorDpiChanged(int oldDPI, int newDPI) {
  if (FFormcreating || oldDPI <= 0) {
    FUpdateBrowserZoomAfterLoad = true;
    return;
  }
  DefaultZoomValue = qRound(double(DefaultZoomValue) * newDPI / oldDPI);
  SetZoom(qRound(double(FZoom) * newDPI / oldDPI));
  UpdateImages(newDPI);
  UpdateAppButton();
}

bool TFrmViewerMain::IsBrowserWidget(QObject* obj) const {
  auto* w = qobject_cast<QWidget*>(obj);
  return w && WebBrowser && (w == WebBrowser || WebBrowser->isAncestorOf(w));
}

bool TFrmViewerMain::eventFilter(QObject* obj, QEvent* e) {
  if (obj == AppButton || obj == AppButtonLabel || obj == AppButtonDropDown) {
    if (e->type() == QEvent::Enter) AppButtonHighlight(true);
    else if (e->type() == QEvent::Leave) AppButtonHighlight(false);
    else if (e->type() == QEvent::MouseButtonPress &&
             static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
      AppButtonClick();
      return true;
    }
    return false;
  }
  if ((e->type() == QEvent::KeyPress || e->type() == QEvent::ShortcutOverride || e->type() == QEvent::KeyRelease) &&
      IsBrowserWidget(obj)) {
    auto* k = static_cast<QKeyEvent*>(e);
    const bool ctrl = k->modifiers() & Qt::ControlModifier;
    const int key = k->key();
    const bool zoomOrNew = key == Qt::Key_N || key == Qt::Key_0 || key == Qt::Key_Plus ||
                           key == Qt::Key_Equal || key == Qt::Key_Minus;
    if (e->type() == QEvent::KeyRelease) {
      if (!k->isAutoRepeat()) WebBrowserKeyUp(key, k->modifiers());
      return false;
    }
    // The browser's own new-window and zoom keys never run; zoom follows
    // on key release.
    if (ctrl && zoomOrNew) return true;
  }
  return QWidget::eventFilter(obj, e);
}

void TFrmViewerMain::PrintPreview() {
  // A page of a navigation frame and a topic frame prints the topic only.
  const QString base = BaseURL();
  std::vector<std::u16string> topics = FQz ? FQz->FTopicList : std::vector<std::u16string>{};
  const QString script = QStringLiteral(
      "(function(){var r=[];for(var i=0;i<window.frames.length;i++){"
      "try{r.push(String(window.frames[i].location.href));}catch(e){r.push('');}}return r;})()");
  QPointer<TFrmViewerMain> self(this);
  FPage->runJavaScript(script, [self, base, topics](const QVariant& v) {
    if (!self) return;
    for (const QString& frameUrl : v.toStringList()) {
      if (!frameUrl.startsWith(base, Qt::CaseInsensitive)) continue;
      const QString name = frameUrl.mid(base.size()).left(255);
      for (const auto& t : topics) {
        if (name.compare(QString::fromStdU16String(t), Qt::CaseInsensitive) != 0) continue;
        QWebEngineView frameView;
        frameView.setPage(new QWebEnginePage(self->FProfile, &frameView));
        QEventLoop loop;
        QObject::connect(&frameView, &QWebEngineView::loadFinished, &loop, &QEventLoop::quit);
        frameView.load(QUrl(frameUrl));
        loop.exec();
        if (self) self->PrintPreviewOf(&frameView);
        return;
      }
    }
    self->PrintPreviewOf(self->WebBrowser);
  });
}

void TFrmViewerMain::PrintPreviewOf(QWebEngineView* view) {
  QPrinter printer(QPrinter::HighResolution);
  QPrintPreviewDialog dialog(&printer, this);
  connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [view](QPrinter* p) {
    QEventLoop loop;
    connect(view, &QWebEngineView::printFinished, &loop, &QEventLoop::quit);
    view->print(p);
    loop.exec();
  });
  dialog.exec();
}

}  // namespace bookloom
