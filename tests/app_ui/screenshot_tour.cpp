// Walks through the windows on the demo machine and takes a screenshot of
// the whole screen at each stop with ImageMagick's "import" (run it under
// xvfb-run). Usage: app_ui_screenshot_tour OUTPUT_FOLDER
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "core/app_config.h"
#include "core/message_sink.h"
#include "hwscope/hwscope.h"
#include "ui/about_dialog.h"
#include "ui/config_dialog.h"
#include "ui/device_list.h"
#include "ui/email_dialog.h"
#include "ui/export_dialog.h"
#include "ui/hidden_area_panel.h"
#include "ui/main_window.h"
#include "ui_test_support.h"

namespace {

QString g_folder;

void Shot(const QString& name) {
  for (int i = 0; i < 10; ++i) {
    QApplication::processEvents();
    QTest::qWait(60);
  }
  QProcess::execute("import", {"-window", "root", g_folder + "/spindlewatch_" + name + ".png"});
}

// Shows each message box without blocking, photographs it and answers Cancel.
class ShotSink : public appcore::MessageSink {
 public:
  appcore::MessageAnswer Show(const std::wstring& text, const std::wstring& title,
                              appcore::MessageIcon, appcore::MessageButtons buttons) override {
    QMessageBox box(QMessageBox::Warning, QString::fromStdWString(title), QString::fromStdWString(text),
                    buttons == appcore::MessageButtons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel
                                                                 : QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Cancel);
    box.show();
    Shot(name);
    return appcore::MessageAnswer::Cancel;
  }
  QString name = "message";
};

class ConfigStub : public ui::ConfigHost {
 public:
  void StopRefreshTimer() override {}
  void StartRefreshTimer() override {}
  void RefreshDrives() override {}
  void ShowSelectedDevice() override {}
  void MarkTemperatureChanged() override {}
};

void SelectDevice(ui::MainWindow& window, int device) {
  ui::DeviceList* list = window.Devices();
  for (int r = 0; r < list->RowCount(); ++r) {
    if (list->DeviceOfRow(r) != device) continue;
    QListWidget* group = list->GroupList(list->GroupOfRow(r));
    for (int i = 0; i < group->count(); ++i)
      if (group->item(i)->text() == list->TextOfRow(r)) group->setCurrentRow(i);
  }
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  g_folder = argc > 1 ? argv[1] : ".";
  uitest::SetUpProcess();
  ShotSink sink;
  appcore::SetMessageSink(&sink);
  ui::MainWindow window("Spindlewatch V3.5 (build 1004) - Hwscope v3.0");
  window.show();
  Shot("start");
  SelectDevice(window, 0);
  const char* tabs[] = {"device_info", "smart", "history", "selftest", "hidden_area"};
  for (int t = 0; t < 5; ++t) {
    window.Tabs()->setCurrentIndex(t);
    Shot(tabs[t]);
  }
  SelectDevice(window, 4);
  window.Tabs()->setCurrentIndex(1);
  Shot("smart_nvme");
  SelectDevice(window, 5);
  window.Tabs()->setCurrentIndex(4);
  auto* panel = window.HiddenArea();
  panel->findChild<QCheckBox*>("1042")->setChecked(true);
  panel->findChild<QLineEdit*>("1069")->setText("1900000000");
  Shot("hidden_area_modify");
  sink.name = "hidden_area_confirm";
  panel->Apply();

  ConfigStub host;
  {
    ui::ConfigDialog config(host, &window);
    config.show();
    Shot("config");
  }
  {
    appcore::AppConfig working;
    appcore::SetConfigDefaults(&working);
    appcore::CopyField(working.recipients[0], 64, "ops@example.org");
    appcore::CopyField(working.smtpServer, 64, "mail.example.org");
    ui::EmailDialog email(&working, &window);
    email.show();
    Shot("email");
  }
  {
    ui::ExportOptionsDialog options(0, &window);
    options.show();
    Shot("export");
  }
  {
    ui::AboutDialog about(&window);
    about.show();
    Shot("about");
  }
  appcore::SetMessageSink(nullptr);
  HwscopeDll_Smart_Cleanup();
  return 0;
}
