// The viewer window tests run inside one QApplication on the offscreen
// platform; each run gets its own runtime and configuration folders so
// that instance sockets and saved positions stay apart from other runs.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "viewer_schemes.h"

int main(int argc, char** argv) {
  QTemporaryDir run;
  if (!run.isValid()) return 1;
  QFile::setPermissions(run.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  qputenv("XDG_RUNTIME_DIR", run.path().toUtf8());
  qputenv("XDG_CONFIG_HOME", (run.path() + "/config").toUtf8());
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu");
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  bookloom::RegisterViewerSchemes();
  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
