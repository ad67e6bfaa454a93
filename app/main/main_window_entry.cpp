#include "main_window_entry.h"

#include <QApplication>

#include "common/spindlewatch_localization.h"
#include "core/app_config.h"
#include "hwscope/hwscope.h"
#include "qt_message_sink.h"
#include "ui/main_window.h"
#include "ui/tray_icon.h"

int RunMainWindow(const appcore::StartupContext& ctx, int& argc, char** argv) {
  EnsureApplication(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  int exitCode = 0;
  {
    ui::MainWindow window(QString::fromStdWString(ctx.caption));
    QObject::connect(&window, &ui::MainWindow::quitRequested, [&exitCode](int code) {
      exitCode = code;
      QApplication::exit(code);
    });
    // -m leaves only the tray icon; where the desktop has no tray the
    // window starts minimised instead, so that it can still be reached.
    if (!ctx.startHidden)
      window.show();
    else if (!window.Tray()->Available())
      window.showMinimized();
    window.StartRefreshTimer();
    exitCode = QApplication::exec();
    window.Tray()->Remove();
  }
  sw::DestroyLocalization();
  return exitCode;
}
