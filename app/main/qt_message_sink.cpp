#include "qt_message_sink.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <cstdlib>

bool HasDisplay() {
  const char* x = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x != nullptr && *x != '\0') || (wayland != nullptr && *wayland != '\0');
}

void EnsureApplication(int& argc, char** argv) {
  if (QApplication::instance() == nullptr) new QApplication(argc, argv);
}

appcore::MessageAnswer QtMessageSink::Show(const std::wstring& text, const std::wstring& title,
                                           appcore::MessageIcon icon,
                                           appcore::MessageButtons buttons) {
  EnsureApplication(argc_, argv_);
  QMessageBox box;
  box.setWindowTitle(QString::fromStdWString(title));
  box.setText(QString::fromStdWString(text));
  switch (icon) {
    case appcore::MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
    case appcore::MessageIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case appcore::MessageIcon::Error: box.setIcon(QMessageBox::Critical); break;
    case appcore::MessageIcon::None: box.setIcon(QMessageBox::NoIcon); break;
  }
  if (buttons == appcore::MessageButtons::OkCancel) {
    // The questions asked this way guard something that cannot be taken
    // back (a hidden area, a warning level of 0): Enter does not confirm.
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Cancel);
  }
  else
    box.setStandardButtons(QMessageBox::Ok);
  return box.exec() == QMessageBox::Cancel ? appcore::MessageAnswer::Cancel
                                           : appcore::MessageAnswer::Ok;
}
