#include "ui/tray_icon.h"

#include "ui/control_ids.h"
#include "ui/icons.h"

namespace ui {

namespace {
constexpr int kTipLimit = 127;
}

TrayIcon::TrayIcon(QObject* parent) : QObject(parent) {
  QAction* show = menu_.addAction("Show Spindlewatch");
  show->setObjectName(IdName(kCmdTrayShow));
  QAction* exit = menu_.addAction("Exit");
  exit->setObjectName(IdName(kCmdTrayExit));
  connect(show, &QAction::triggered, this, &TrayIcon::showRequested);
  connect(exit, &QAction::triggered, this, &TrayIcon::exitRequested);
}

TrayIcon::~TrayIcon() { Remove(); }

void TrayIcon::Add(const QString& tip) {
  tip_ = tip.left(kTipLimit);
  warning_ = false;
  if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
  tray_ = std::make_unique<QSystemTrayIcon>(AppIcon());
  tray_->setToolTip(tip_);
  tray_->setContextMenu(&menu_);
  connect(tray_.get(), &QSystemTrayIcon::activated, this,
          [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::DoubleClick) emit showRequested();
          });
  tray_->show();
}

void TrayIcon::SetTip(const QString& tip) {
  tip_ = tip.left(kTipLimit);
  if (tray_) tray_->setToolTip(tip_);
}

void TrayIcon::SetWarning(bool warning) {
  warning_ = warning;
  if (tray_) tray_->setIcon(warning ? WarningIcon() : AppIcon());
}

void TrayIcon::Remove() {
  if (tray_) tray_->hide();
  tray_.reset();
}

}  // namespace ui
