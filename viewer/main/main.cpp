// Bookloom: the book viewer. Shows the book appended to its own executable
// (or a book file named on the command line); one viewer per executable
// and book, a later start hands its arguments to the running one.
#include <unistd.h>

#include <QApplication>

#include "viewer_main.h"
#include "viewer_schemes.h"

int main(int argc, char** argv) {
  // The browser engine refuses to start its sandbox as root; the disk
  // checker runs as root and starts the viewer from there.
  if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  bookloom::RegisterViewerSchemes();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Bookloom"));

  QStringList args = QApplication::arguments();
  if (!args.isEmpty()) args.removeFirst();
  auto* form = new bookloom::TFrmViewerMain({QCoreApplication::applicationFilePath(), args});
  if (!form->CanStart) {
    delete form;
    return 0;
  }
  form->ShowForm();
  return app.exec();
}
