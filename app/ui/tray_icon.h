// The notification-area icon: application or warning icon with the health
// tip; double-click shows the window; the menu has "Show Spindlewatch"
// (40011) and "Exit" (40010). Where the desktop has no tray, the state is
// still kept and the program works without it.
#pragma once

#include <QMenu>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>
#include <memory>

namespace ui {

class TrayIcon : public QObject {
  Q_OBJECT
 public:
  explicit TrayIcon(QObject* parent = nullptr);
  ~TrayIcon() override;

  // Adds the icon with the application icon and the tip.
  void Add(const QString& tip);
  void SetTip(const QString& tip);
  void SetWarning(bool warning);
  void Remove();

  QString Tip() const { return tip_; }
  bool Warning() const { return warning_; }
  bool Available() const { return tray_ != nullptr; }
  QMenu* Menu() { return &menu_; }

 signals:
  void showRequested();
  void exitRequested();

 private:
  QMenu menu_;
  std::unique_ptr<QSystemTrayIcon> tray_;
  QString tip_;
  bool warning_ = false;
};

}  // namespace ui
