// The windows on the simulated machine: device list groups, the five
// panels, refresh and F5, the Configuration and e-mail dialogs (with a
// loopback SMTP server), the self-test, the hidden area and the export.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <fstream>
#include <memory>
#include <sstream>

#include "common/text.h"
#include "core/app_config.h"
#include "core/app_state.h"
#include "core/texts.h"
#include "hwscope/hwscope.h"
#include "test_support.h"
#include "ui/config_dialog.h"
#include "ui/device_info_panel.h"
#include "ui/device_list.h"
#include "ui/device_queries.h"
#include "ui/email_dialog.h"
#include "ui/export_dialog.h"
#include "ui/hidden_area.h"
#include "ui/hidden_area_panel.h"
#include "ui/history_panel.h"
#include "ui/list_colors.h"
#include "ui/main_window.h"
#include "ui/selftest_panel.h"
#include "ui/smart_panel.h"
#include "ui/tray_icon.h"
#include "ui_test_support.h"

using appcore::LocText;

namespace {

QString T(sw::AppKey key) { return QString::fromStdWString(LocText(key)); }

template <typename W>
W* Child(QWidget* parent, int id) {
  return parent->findChild<W*>(QString::number(id));
}

// Records what the Configuration dialog asks of the main window.
class FakeHost : public ui::ConfigHost {
 public:
  void StopRefreshTimer() override { calls.push_back("stop"); }
  void StartRefreshTimer() override { calls.push_back("start"); }
  void RefreshDrives() override { calls.push_back("refresh"); }
  void ShowSelectedDevice() override { calls.push_back("show"); }
  void MarkTemperatureChanged() override { calls.push_back("temperature"); }
  std::vector<std::string> calls;
};

int RowOfDevice(ui::DeviceList* list, int device) {
  for (int r = 0; r < list->RowCount(); ++r)
    if (list->DeviceOfRow(r) == device) return r;
  return -1;
}

QString ValueOf(QTreeWidget* list, const QString& name) {
  for (int i = 0; i < list->topLevelItemCount(); ++i)
    if (list->topLevelItem(i)->text(0) == name) return list->topLevelItem(i)->text(1);
  return "<missing>";
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  uitest::ScriptedSink sink_;
  std::string folder_;
  std::unique_ptr<ui::MainWindow> window_;

  // Selects the row of device as a user would (clicking it).
  void Select(int device) {
    int row = RowOfDevice(window_->Devices(), device);
    QVERIFY(row >= 0);
    ui::DeviceList* list = window_->Devices();
    QListWidget* group = list->GroupList(list->GroupOfRow(row));
    for (int i = 0; i < group->count(); ++i)
      if (group->item(i)->text() == list->TextOfRow(row)) group->setCurrentRow(i);
    QCOMPARE(window_->SelectedDevice(), device);
  }

 private slots:
  void initTestCase() {
    folder_ = uitest::SetUpProcess();
    appcore::SetMessageSink(&sink_);
    window_ = std::make_unique<ui::MainWindow>("banner");
    window_->show();
  }

  void cleanupTestCase() {
    window_.reset();
    appcore::SetMessageSink(nullptr);
  }

  void init() { sink_.Reset(); }

  void controlsCarryTheirIdentifiers() {
    for (int id : {1075, 1068, 1017, 1009, 1067, 1010, 4, 1006, 1001, 1007, 3, 1})
      QVERIFY2(window_->findChild<QWidget*>(QString::number(id)) != nullptr, qPrintable(QString::number(id)));
    for (int id : {1013, 1014, 1015, 1045, 1047, 1048, 1058, 1059, 1062, 1063, 1064, 1069, 1070, 1071,
                   1072, 1073, 1074, 1042})
      QVERIFY2(window_->Tabs()->findChild<QWidget*>(QString::number(id)) != nullptr,
               qPrintable(QString::number(id)));
    QCOMPARE(window_->Tabs()->count(), 5);
    QCOMPARE(window_->Tabs()->tabText(4), T(sw::LABEL_TAB_HIDDEN_AREA));
    QCOMPARE(window_->minimumSize(), QSize(600, 600));
  }

  void deviceListHasTwoGroups() {
    ui::DeviceList* list = window_->Devices();
    std::vector<int> devices = ui::PhysicalDevices();
    QCOMPARE(list->RowCount(), static_cast<int>(devices.size()));
    int smart = 0, other = 0;
    for (int r = 0; r < list->RowCount(); ++r) {
      int device = list->DeviceOfRow(r);
      QCOMPARE(list->GroupOfRow(r), ui::IsSmartDevice(device) ? 0 : 1);
      (list->GroupOfRow(r) == 0 ? smart : other)++;
    }
    QVERIFY(smart >= 5);
    QVERIFY(other >= 1);
    QCOMPARE(list->GroupList(0)->count(), smart);
    QCOMPARE(list->GroupList(1)->count(), other);
    // "Disk 0", the model, the capacity in GB.
    QString text = list->TextOfRow(RowOfDevice(list, 0));
    QVERIFY(text.startsWith(T(sw::LABEL_DEVICES_DISK_NUMBER).replace("%d", "0")));
    QVERIFY(text.contains("Hyperion HD2000-7K DT"));
    QVERIFY(text.contains(" GB)"));
  }

  void deviceListWritesItsDebugLines() {
    appcore::State().debugMode = true;
    window_->InitDevIconList();
    appcore::State().debugMode = false;
    std::ifstream in(folder_ + "/SpindlewatchLog.txt");
    std::stringstream log;
    log << in.rdbuf();
    for (const char* line : {"InitDevIconList[2]:Device = 0\n", "InitDevIconList[3]:Device 0 is SMART\n",
                             "InitDevIconList[4]: Hyperion HD2000-7K DT is device 0\n"})
      QVERIFY2(log.str().find(line) != std::string::npos, line);
    QVERIFY(log.str().find("is NOT SMART\n") != std::string::npos);
    window_->ShowDevice(-1);
  }

  void noSelectionShowsThePrompt() {
    window_->Devices()->SelectRow(-1);
    window_->ShowDevice(-1);
    QTreeWidget* info = window_->InfoPanel()->List();
    QCOMPARE(info->topLevelItemCount(), 1);
    QCOMPARE(info->topLevelItem(0)->text(0), T(sw::DI_LIST_SELECT_DISK));
    QCOMPARE(window_->SmartAttributes()->List()->topLevelItemCount(), 0);
    QCOMPARE(window_->windowTitle(), QString("banner"));
    QVERIFY(!Child<QCheckBox>(window_->HiddenArea(), 1042)->isEnabled());
  }

  void selectingAnAtaDriveFillsEveryPanel() {
    Select(0);
    QCOMPARE(window_->windowTitle(), QString("Hyperion HD2000-7K DT"));
    // Device information: identification, failed attribute in the status.
    QTreeWidget* info = window_->InfoPanel()->List();
    QCOMPARE(ValueOf(info, T(sw::DI_LIST_MODEL_NO)), QString("Hyperion HD2000-7K DT"));
    QCOMPARE(ValueOf(info, T(sw::DI_LIST_SERIAL_NO)), QString("HY7K2T0A83F1"));
    QCOMPARE(ValueOf(info, T(sw::DI_LIST_FIRMWARE)), QString("HY04A2"));
    QCOMPARE(ValueOf(info, T(sw::DI_LIST_DEVICE_ID)), QString("0"));
    QCOMPARE(ValueOf(info, T(sw::DI_LIST_MEDIA_ROTATE_RATE)), QString("7200 RPM"));
    QCOMPARE(ValueOf(info, T(sw::DI_LIST_TOTAL_SECTORS)), QString("3907029168"));
    QCOMPARE(ValueOf(info, "       C:"), QString("512000 MB"));
    QVERIFY(ValueOf(info, T(sw::DI_LIST_STANDARDS_COMPLIANCE)) != "<missing>");
    QTreeWidgetItem* status = info->topLevelItem(2);
    QCOMPARE(status->text(0), T(sw::DI_LIST_DEVICE_STATUS));
    QVERIFY(status->text(1).contains(T(sw::DI_LIST_TEC_EXCEEDED)));
    QCOMPARE(status->foreground(1).color(), ui::kWarningTextColor);
    QCOMPARE(info->topLevelItem(1)->background(0).color(), ui::kOddRowColor);
    // Disk activity rows right after their header, with values.
    int first = window_->InfoPanel()->FirstActivityRow();
    QCOMPARE(info->topLevelItem(first - 1)->text(0), T(sw::DI_LIST_DISK_ACTIVITY));
    QVERIFY(info->topLevelItem(first)->text(0).startsWith("       "));
    QVERIFY(info->topLevelItem(first)->text(1).contains("MB/s"));

    // SMART attributes: every attribute, hex identifiers, states.
    QTreeWidget* smart = window_->SmartAttributes()->List();
    std::vector<int> ids = ui::AttributeIds(0);
    QCOMPARE(smart->topLevelItemCount(), static_cast<int>(ids.size()));
    bool sawFailed = false, sawTemperature = false, sawIcon = false;
    for (int r = 0; r < smart->topLevelItemCount(); ++r) {
      QTreeWidgetItem* item = smart->topLevelItem(r);
      QCOMPARE(item->text(ui::kColId), QString::asprintf("%X", ids[static_cast<size_t>(r)]));
      if (ids[static_cast<size_t>(r)] == 5) {
        QCOMPARE(item->text(ui::kColStatus), T(sw::MISC_FAIL));
        QCOMPARE(window_->SmartAttributes()->RowState(r), 2);
        QCOMPARE(item->foreground(ui::kColName).color(), ui::kFailedTextColor);
        QCOMPARE(item->text(ui::kColValue), QString("36"));
        QCOMPARE(item->text(ui::kColThreshold), QString("36"));
        sawFailed = true;
      }
      if (ids[static_cast<size_t>(r)] == 194) {
        QCOMPARE(item->text(ui::kColRaw), QString("%1 C").arg(193274970148ull & 0xFFFF));
        sawTemperature = true;
      }
      if (!item->icon(ui::kColInfo).isNull()) {
        QVERIFY(!item->toolTip(ui::kColInfo).isEmpty());
        sawIcon = true;
      }
      if (!item->icon(ui::kColTrend).isNull())
        QVERIFY(item->toolTip(ui::kColTrend) == T(sw::SI_RAW_VALUE_HIGHER) ||
                item->toolTip(ui::kColTrend) == T(sw::SI_RAW_VALUE_LOWER));
    }
    QVERIFY(sawFailed);
    QVERIFY(sawTemperature);
    QVERIFY(sawIcon);

    // History: the choice holds every attribute; nothing recorded yet.
    auto* choice = Child<QComboBox>(window_->History(), 1045);
    QCOMPARE(choice->count(), static_cast<int>(ids.size()));
    QTreeWidget* history = window_->History()->List();
    QCOMPARE(history->topLevelItemCount(), 4);
    QCOMPARE(history->topLevelItem(0)->text(0), T(sw::SH_TAB_INFO_1_OF_4));
    QCOMPARE(Child<QLabel>(window_->History(), 1047)->text(), QString("0"));

    // Self-test idle; hidden area of a drive without one.
    QCOMPARE(Child<QPushButton>(window_->SelfTest(), 1059)->text(), T(sw::DST_TAB_START_TEST));
    QCOMPARE(Child<QLineEdit>(window_->HiddenArea(), 1069)->text(), QString("3907029167"));
    QCOMPARE(Child<QLineEdit>(window_->HiddenArea(), 1072)->text(), QString("0 Bytes"));
  }

  void historyListsRecordsNewestFirst() {
    // History files lie beside the program; this one is the test's own.
    QString file = QCoreApplication::applicationDirPath() + "/HY7K2T0A83F1.bin";
    QFile::remove(file);
    for (int i = 0; i < 3; ++i) QCOMPARE(HwscopeDll_Smart_RecordTECData(0), 0);
    Select(1);
    Select(0);
    QTreeWidget* history = window_->History()->List();
    QCOMPARE(Child<QLabel>(window_->History(), 1047)->text(), QString("3"));
    QCOMPARE(Child<QLabel>(window_->History(), 1048)->text(), QString("3"));
    QCOMPARE(history->topLevelItemCount(), 3);
    // The first attribute of the choice: Raw Read Error Rate, 200 / 200 / 0.
    QCOMPARE(history->topLevelItem(0)->text(1), QString("200"));
    QCOMPARE(history->topLevelItem(0)->text(3), QString("0"));
    QCOMPARE(history->topLevelItem(0)->text(0).size(), 24);
    QFile::remove(file);
  }

  void nvmeDriveLeavesOutAtaRows() {
    Select(4);
    QTreeWidget* info = window_->InfoPanel()->List();
    QCOMPARE(ValueOf(info, T(sw::DI_LIST_STANDARDS_COMPLIANCE)), QString("<missing>"));
    QCOMPARE(ValueOf(info, T(sw::DI_LIST_FEATURE_SUPPORT)), QString("<missing>"));
    QCOMPARE(ValueOf(info, T(sw::DI_LIST_MEDIA_ROTATE_RATE)), T(sw::DI_LIST_MEDIA_ROTATE_RATE_SSD));
    QCOMPARE(info->topLevelItem(info->topLevelItemCount() - 1)->text(0), T(sw::DI_LIST_ECC_SIZE));
    QTreeWidget* smart = window_->SmartAttributes()->List();
    QCOMPARE(smart->topLevelItemCount(), 15);
    QCOMPARE(smart->topLevelItem(14)->text(ui::kColId), QString("E"));
    QVERIFY(smart->topLevelItem(1)->text(ui::kColRaw).endsWith(" C"));
  }

  void refreshKeepsTheSelectedDrive() {
    Select(2);
    QString before = window_->InfoPanel()->List()->topLevelItem(0)->text(1);
    window_->RefreshDrives();
    QCOMPARE(window_->SelectedDevice(), 2);
    QCOMPARE(window_->InfoPanel()->List()->topLevelItem(0)->text(1), before);
    QVERIFY(Child<QLabel>(window_.get(), 1067)->text().startsWith(T(sw::LABEL_LAST_UPDATED).left(5)));
    // The tray follows the health of the drives (drive 0 has a failed attribute).
    QVERIFY(window_->Tray()->Warning());
    QVERIFY(!window_->Tray()->Tip().isEmpty());
  }

  void f5InTheDeviceListRefreshes() {
    Select(1);
    QSignalSpy spy(window_->Devices(), &ui::DeviceList::refreshRequested);
    QListWidget* group = window_->Devices()->GroupList(0);
    group->setFocus();
    QTest::keyClick(group, Qt::Key_F5);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(window_->SelectedDevice(), 1);
  }

  void layoutStretchesAndKeepsTheMinimum() {
    window_->resize(1000, 900);
    QApplication::processEvents();
    auto* exit = Child<QPushButton>(window_.get(), 1);
    auto* config = Child<QPushButton>(window_.get(), 4);
    QCOMPARE(exit->geometry().bottom() + 1, window_->height() - 15);
    QCOMPARE(config->x(), 10);
    QVERIFY(exit->geometry().right() <= window_->width() - 10);
    QCOMPARE(Child<QWidget>(window_.get(), 1009)->width(), window_->width() - 20);
    window_->LayoutMainWindow(500, 500);  // below the start-up size: stays at 600 x 600
    QCOMPARE(Child<QWidget>(window_.get(), 1009)->width(), 580);
    window_->resize(700, 800);
  }

  void minimisingHidesToTheTrayWhenAsked() {
    appcore::LiveConfig().minimizeToTray = 1;
    window_->setWindowState(Qt::WindowMinimized);
    if (window_->Tray()->Available()) {
      QTRY_VERIFY(!window_->isVisible());
    } else {
      // No tray to come back from: the window stays, minimised.
      QTest::qWait(50);
      QVERIFY(window_->isVisible());
    }
    emit window_->Tray()->showRequested();  // "Show Spindlewatch" or a double-click
    QVERIFY(window_->isVisible());
    QVERIFY(!window_->isMinimized());
    appcore::LiveConfig().minimizeToTray = 0;
  }

  void configurationValidation_data() {
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("recipient");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("server");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("expectedText");
    QTest::addColumn<QString>("expectedTitle");
    const QString mailTitle = T(sw::MB_TITLE_EMAIL_NOTIFICATION_SETTING_ERROR);
    auto two = [](sw::AppKey a, sw::AppKey b) { return T(a) + "\n" + T(b); };
    QTest::newRow("no recipient") << 2 << "" << "" << "mail.example" << 25
                                  << two(sw::CONFIG_NO_EMAIL, sw::CONFIG_ENTER_EMAIL) << mailTitle;
    QTest::newRow("bad recipient") << 2 << "nobody" << "" << "mail.example" << 25
                                   << two(sw::CONFIG_INVALID_EMAIL, sw::CONFIG_ENTER_VALID_EMAIL).replace("%s", "nobody")
                                   << mailTitle;
    QTest::newRow("bad sender") << 2 << "a@b.example" << "me@host" << "mail.example" << 25
                                << two(sw::CONFIG_INVALID_REPLY_TO, sw::CONFIG_ENTER_REPLY_TO).replace("%s", "me@host")
                                << mailTitle;
    QTest::newRow("no server") << 2 << "a@b.example" << "" << "" << 25
                               << two(sw::CONFIG_INVALID_SERVER, sw::CONFIG_ENTER_SERVER) << mailTitle;
    QTest::newRow("port 0") << 2 << "a@b.example" << "" << "mail.example" << 0
                            << two(sw::CONFIG_INVALID_PORT, sw::CONFIG_ENTER_PORT) << mailTitle;
    QTest::newRow("port 65536") << 2 << "a@b.example" << "" << "mail.example" << 65536
                                << two(sw::CONFIG_INVALID_PORT, sw::CONFIG_ENTER_PORT) << mailTitle;
  }

  void configurationValidation() {
    QFETCH(int, action);
    QFETCH(QString, recipient);
    QFETCH(QString, from);
    QFETCH(QString, server);
    QFETCH(int, port);
    QFETCH(QString, expectedText);
    QFETCH(QString, expectedTitle);
    appcore::AppConfig before = appcore::LiveConfig();
    FakeHost host;
    ui::ConfigDialog dialog(host);
    appcore::AppConfig& w = dialog.WorkingCopy();
    appcore::CopyField(w.recipients[0], appcore::kAddressSize, recipient.toStdString());
    appcore::CopyField(w.fromAddress, appcore::kAddressSize, from.toStdString());
    appcore::CopyField(w.smtpServer, appcore::kAddressSize, server.toStdString());
    w.smtpPort = static_cast<std::uint32_t>(port);
    Child<QRadioButton>(&dialog, 1024 + action)->click();
    QVERIFY(!dialog.Confirm());
    QCOMPARE(sink_.shown.size(), size_t{1});
    QCOMPARE(QString::fromStdWString(sink_.shown[0].text), expectedText);
    QCOMPARE(QString::fromStdWString(sink_.shown[0].title), expectedTitle);
    QCOMPARE(sink_.shown[0].icon, appcore::MessageIcon::Warning);
    QVERIFY(host.calls.empty());
    QCOMPARE(std::memcmp(&before, &appcore::LiveConfig(), sizeof before), 0);
  }

  void configurationRefreshIntervalAndLevel() {
    FakeHost host;
    ui::ConfigDialog dialog(host);
    Child<QCheckBox>(&dialog, 1037)->setChecked(true);
    Child<QLineEdit>(&dialog, 1038)->setText("");
    QVERIFY(!dialog.Confirm());
    QCOMPARE(QString::fromStdWString(sink_.shown.back().text), T(sw::CONFIG_ERROR_NO_AUTO_REFRESH_INTERVAL));
    QCOMPARE(QString::fromStdWString(sink_.shown.back().title), T(sw::MB_TITLE_AUTOREFRESH_INTERVAL_ERROR));

    // A level that is not a number asks to confirm 0.0; Cancel keeps the dialog.
    sink_.Reset();
    Child<QLineEdit>(&dialog, 1038)->setText("15");
    Child<QLineEdit>(&dialog, 1022)->setText("warm");
    sink_.Answer(appcore::MessageAnswer::Cancel);
    QVERIFY(!dialog.Confirm());
    QCOMPARE(sink_.shown.back().buttons, appcore::MessageButtons::OkCancel);
    QVERIFY(QString::fromStdWString(sink_.shown.back().text).contains("0.0"));
    QVERIFY(host.calls.empty());

    // A valid level in Fahrenheit: both levels, auto refresh turned on.
    sink_.Reset();
    Child<QRadioButton>(&dialog, 1020)->click();
    Child<QLineEdit>(&dialog, 1022)->setText("122");
    QVERIFY(dialog.Confirm());
    const appcore::AppConfig& live = appcore::LiveConfig();
    QCOMPARE(live.temperatureUnit, 1u);
    QCOMPARE(live.warnLevelF, 122.0f);
    QCOMPARE(live.warnLevelC, 50.0f);
    QCOMPARE(live.autoRefresh, std::uint8_t{1});
    QCOMPARE(live.autoRefreshMinutes, 15u);
    std::vector<std::string> expected = {"temperature", "show", "refresh", "start"};
    QCOMPARE(host.calls, expected);

    // Back to the defaults; turning auto refresh off stops the timer at once.
    FakeHost host2;
    ui::ConfigDialog again(host2);
    Child<QCheckBox>(&again, 1037)->setChecked(false);
    Child<QRadioButton>(&again, 1018)->click();
    QCOMPARE(Child<QLineEdit>(&again, 1022)->text(), QString("50.0"));
    Child<QLineEdit>(&again, 1022)->setText("60");
    QVERIFY(again.Confirm());
    QCOMPARE(host2.calls.front(), std::string("stop"));
    appcore::SetConfigDefaults(&appcore::LiveConfig());
  }

  void configurationRecordWarnsWithTheFolder() {
    FakeHost host;
    ui::ConfigDialog dialog(host);
    Child<QCheckBox>(&dialog, 1042)->setChecked(true);
    QCOMPARE(sink_.shown.size(), size_t{1});
    QVERIFY(QString::fromStdWString(sink_.shown[0].text).contains(QString::fromStdString(folder_)));
    Child<QCheckBox>(&dialog, 1042)->setChecked(false);
    QCOMPARE(sink_.shown.size(), size_t{1});
  }

  void emailDialogValidation() {
    appcore::AppConfig working;
    appcore::SetConfigDefaults(&working);
    ui::EmailDialog dialog(&working);
    QVERIFY(!dialog.Validate());
    QCOMPARE(QString::fromStdWString(sink_.shown.back().title), T(sw::MB_TITLE_NO_EMAIL_ADDRESS));
    Child<QLineEdit>(&dialog, 1029)->setText("not-an-address");
    dialog.AddAddress();
    QCOMPARE(QString::fromStdWString(sink_.shown.back().title), T(sw::EMAIL_ADD_INVALID_MB_TITLE));
    Child<QLineEdit>(&dialog, 1029)->setText("zed@example.org");
    dialog.AddAddress();
    Child<QLineEdit>(&dialog, 1029)->setText("amy@example.org");
    dialog.AddAddress();
    Child<QLineEdit>(&dialog, 1029)->setText("amy@example.org");
    dialog.AddAddress();
    QCOMPARE(QString::fromStdWString(sink_.shown.back().title), T(sw::EMAIL_ADD_DUPLICATE_MB_TITLE));
    Child<QLineEdit>(&dialog, 1034)->setText("0");
    QVERIFY(!dialog.Validate());
    QCOMPARE(QString::fromStdWString(sink_.shown.back().title), T(sw::MB_TITLE_INVALID_PORT));
    Child<QLineEdit>(&dialog, 1034)->setText("65561");  // would wrap round to 25
    QVERIFY(!dialog.Validate());
    QCOMPARE(QString::fromStdWString(sink_.shown.back().title), T(sw::MB_TITLE_INVALID_PORT));
    Child<QLineEdit>(&dialog, 1034)->setText("2525");
    QVERIFY(!dialog.Validate());
    QCOMPARE(QString::fromStdWString(sink_.shown.back().title), T(sw::MB_TITLE_INVALID_HOSTNAME));
    Child<QLineEdit>(&dialog, 1032)->setText("mail.example.org");
    Child<QCheckBox>(&dialog, 1042)->setChecked(true);
    QVERIFY(!dialog.Validate());
    QCOMPARE(QString::fromStdWString(sink_.shown.back().title), T(sw::MB_TITLE_INVALID_USERNAME));
    Child<QLineEdit>(&dialog, 1035)->setText("alert");
    QVERIFY(!dialog.Validate());
    QCOMPARE(QString::fromStdWString(sink_.shown.back().title), T(sw::MB_TITLE_INVALID_PASSWORD));
    Child<QLineEdit>(&dialog, 1036)->setText("pw");
    dialog.Confirm();
    // Stored in list order (sorted), the rest cleared.
    QCOMPARE(appcore::FieldText(working.recipients[0], 64), std::string("amy@example.org"));
    QCOMPARE(appcore::FieldText(working.recipients[1], 64), std::string("zed@example.org"));
    QCOMPARE(working.recipients[2][0], '\0');
    QCOMPARE(working.smtpPort, 2525u);
    QCOMPARE(working.smtpAuth, std::uint8_t{1});
  }

  void emailTestReachesTheServer() {
    apptest::TempDir temp;
    std::string out = temp.File("mail.jsonl");
    apptest::SmtpServer server("aiosmtpd", out);
    appcore::AppConfig working;
    appcore::SetConfigDefaults(&working);
    appcore::CopyField(working.recipients[0], 64, "ops@example.org");
    appcore::CopyField(working.smtpServer, 64, "127.0.0.1");
    appcore::CopyField(working.fromAddress, 64, "disk@example.org");
    working.smtpPort = static_cast<std::uint32_t>(server.port());
    ui::EmailDialog dialog(&working);
    QSignalSpy done(&dialog, &ui::EmailDialog::sendFinished);
    dialog.SendTest();
    QVERIFY(dialog.Sending());
    QVERIFY(!Child<QPushButton>(&dialog, 4)->isEnabled());
    QVERIFY(done.wait(20000));
    QCOMPARE(Child<QLineEdit>(&dialog, 1041)->text(), T(sw::MISC_SUCCESS_TEST_EMAIL));
    QVERIFY(!Child<QProgressBar>(&dialog, 1039)->isVisible());
    QCOMPARE(Child<QProgressBar>(&dialog, 1039)->value(), Child<QProgressBar>(&dialog, 1039)->maximum());
    QVERIFY(sink_.shown.empty());
    std::string mail = apptest::ReadFile(out);
    QVERIFY(mail.find("ops@example.org") != std::string::npos);
    QVERIFY(mail.find("Spindlewatch test e-mail") != std::string::npos);
    // The test message goes to a temporary record, not the working copy.
    QCOMPARE(working.smtpPort, static_cast<std::uint32_t>(server.port()));
  }

  void emailTestAgainstASilentServerKeepsTheWindowAlive() {
    apptest::TempDir temp;
    apptest::SmtpServer server("silent", temp.File("unused"));
    appcore::AppConfig working;
    appcore::SetConfigDefaults(&working);
    appcore::CopyField(working.recipients[0], 64, "ops@example.org");
    appcore::CopyField(working.smtpServer, 64, "127.0.0.1");
    working.smtpPort = static_cast<std::uint32_t>(server.port());
    ui::EmailDialog dialog(&working);
    dialog.show();
    QSignalSpy done(&dialog, &ui::EmailDialog::sendFinished);
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(100);
    dialog.SendTest();
    QTRY_VERIFY_WITH_TIMEOUT(Child<QProgressBar>(&dialog, 1039)->isVisible(), 5000);
    QVERIFY(done.wait(30000));
    // The event loop ran all through the five-second wait for the greeting.
    QVERIFY(ticks >= 20);
    QCOMPARE(sink_.shown.size(), size_t{1});
    QCOMPARE(QString::fromStdWString(sink_.shown[0].title), T(sw::MB_TITLE_SEND_TEST_EMAIL_ERROR));
    QCOMPARE(Child<QLineEdit>(&dialog, 1041)->text(), T(sw::ERROR_SENDING_TEST_EMAIL2));
  }

  void selfTestRunsToCompletion() {
    Select(0);
    window_->Tabs()->setCurrentIndex(3);
    auto* button = Child<QPushButton>(window_->SelfTest(), 1059);
    auto* bar = Child<QProgressBar>(window_->SelfTest(), 1064);
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(sink_.shown.empty());
    QVERIFY(window_->SelfTest()->Running());
    QCOMPARE(button->text(), T(sw::MISC_ABORT));
    QVERIFY(window_->SelfTest()->PollTimer()->isActive());
    QCOMPARE(window_->SelfTest()->PollTimer()->interval(), 10000);
    std::vector<int> seen = {bar->value()};
    for (int i = 0; i < 100 && window_->SelfTest()->Running(); ++i) {
      QTest::qWait(200);
      window_->SelfTest()->Poll();
      if (bar->value() != seen.back()) seen.push_back(bar->value());
    }
    QVERIFY(!window_->SelfTest()->Running());
    QVERIFY2(seen.size() >= 3, "the progress bar did not move");
    QCOMPARE(seen.back(), 100);
    QCOMPARE(button->text(), T(sw::DST_TAB_START_TEST));
    QCOMPARE(Child<QLabel>(window_->SelfTest(), 1062)->text(), T(sw::SELFTEST_STATUS_MAP_NO_ERROR));
    QVERIFY(!window_->SelfTest()->PollTimer()->isActive());
  }

  void hiddenAreaChangeIsConfirmedAndReported() {
    Select(5);
    auto* panel = window_->HiddenArea();
    auto* modify = Child<QCheckBox>(panel, 1042);
    auto* user = Child<QLineEdit>(panel, 1069);
    auto* native = Child<QLineEdit>(panel, 1070);
    auto* apply = Child<QPushButton>(panel, 1074);
    auto* status = Child<QLabel>(panel, 1075);
    QCOMPARE(user->text(), QString("1952999999"));
    QCOMPARE(native->text(), QString("1953525167"));
    // 525168 hidden sectors of 512 bytes.
    QCOMPARE(Child<QLineEdit>(panel, 1072)->text(), QString("256.4 MB"));
    QVERIFY(modify->isEnabled());
    QVERIFY(!apply->isEnabled());
    QVERIFY(user->isReadOnly());
    modify->setChecked(true);
    QVERIFY(apply->isEnabled());
    QVERIFY(!user->isReadOnly());

    // A user maximum above the native one is refused without a question.
    user->setText("1953525168");
    QTest::mouseClick(apply, Qt::LeftButton);
    QCOMPARE(status->text(), T(sw::ERROR_MAX_USER_GREATER_MAX_NATIVE));
    QVERIFY(sink_.shown.empty());

    // Cancel at the confirmation leaves the drive as it is.
    user->setText("1900000000");
    sink_.Answer(appcore::MessageAnswer::Cancel);
    QTest::mouseClick(apply, Qt::LeftButton);
    QCOMPARE(sink_.shown.size(), size_t{1});
    QCOMPARE(sink_.shown[0].buttons, appcore::MessageButtons::OkCancel);
    QCOMPARE(sink_.shown[0].icon, appcore::MessageIcon::Warning);
    QVERIFY(QString::fromStdWString(sink_.shown[0].text).contains("1952999999 -> 1900000000"));
    QVERIFY(status->text().isEmpty());
    window_->RefreshDrives();
    QCOMPARE(Child<QLineEdit>(panel, 1069)->text(), QString("1952999999"));

    // OK: the drive hides everything above the new user maximum.
    sink_.Reset();
    modify->setChecked(true);
    user->setText("1900000000");
    sink_.Answer(appcore::MessageAnswer::Ok);
    QTest::mouseClick(apply, Qt::LeftButton);
    QCOMPARE(status->text(), T(sw::HA_TAB_CHANGE_SUCCESS));
    window_->RefreshDrives();
    QCOMPARE(window_->SelectedDevice(), 5);
    QCOMPARE(Child<QLineEdit>(panel, 1069)->text(), QString("1900000000"));
    QCOMPARE(ValueOf(window_->InfoPanel()->List(), T(sw::DI_LIST_TOTAL_SECTORS)), QString("1900000001"));
    // Restore the drive for whatever runs next.
    sink_.Answer(appcore::MessageAnswer::Ok);
    modify->setChecked(true);
    user->setText("1952999999");
    QTest::mouseClick(apply, Qt::LeftButton);
    QCOMPARE(status->text(), T(sw::HA_TAB_CHANGE_SUCCESS));
  }

  void exportWithoutSelectionSaysSo() {
    window_->Devices()->SelectRow(-1);
    window_->ShowDevice(-1);
    window_->ExportReportCommand();
    QCOMPARE(sink_.shown.size(), size_t{1});
    QCOMPARE(QString::fromStdWString(sink_.shown[0].title), T(sw::MB_TITLE_NO_DRIVE_SELECTED));
  }

  void exportWritesTheReport() {
    Select(0);
    apptest::TempDir temp;
    QString path = QString::fromStdString(temp.File("report.txt"));
    QString initial;
    window_->SetSaveFileChooser([&](QWidget*, QString* p) {
      initial = *p;
      *p = path;
      return true;
    });
    int seenChoice = -1;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<ui::ExportOptionsDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      QVERIFY(!Child<QRadioButton>(dialog, 1053)->isEnabled());
      Child<QCheckBox>(dialog, 1042)->setChecked(true);
      Child<QCheckBox>(dialog, 1050)->setChecked(true);
      Child<QCheckBox>(dialog, 1051)->setChecked(true);
      QVERIFY(Child<QRadioButton>(dialog, 1053)->isEnabled());
      QVERIFY(Child<QComboBox>(dialog, 1055)->isEnabled());
      Child<QRadioButton>(dialog, 1054)->setChecked(true);
      QVERIFY(!Child<QComboBox>(dialog, 1055)->isEnabled());
      seenChoice = dialog->Choice();
      dialog->accept();
    });
    window_->ExportReportCommand();
    QCOMPARE(seenChoice, 7);
    QCOMPARE(initial, QString("DriveInfo.txt"));
    QVERIFY(sink_.shown.empty());
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    QVERIFY(content.str().find("Hyperion HD2000-7K DT") != std::string::npos);
    QVERIFY(content.str().find("drive report") != std::string::npos);
    window_->SetSaveFileChooser(nullptr);
  }

  void exportOptionsSingleAttribute() {
    ui::ExportOptionsDialog dialog(0);
    Child<QCheckBox>(&dialog, 1051)->setChecked(true);
    std::vector<int> ids = ui::AttributeIds(0);
    auto it = std::find(ids.begin(), ids.end(), 194);
    QVERIFY(it != ids.end());
    Child<QComboBox>(&dialog, 1055)->setCurrentIndex(static_cast<int>(it - ids.begin()));
    QCOMPARE(dialog.Choice(), 4 | (194 << 16));
  }

  void activityMaximaBelongToTheDrive() {
    ui::ActivityCounters counters;
    counters.Open();
    QTest::qWait(300);
    counters.Collect();
    std::array<double, 5> values{}, maxima{};
    QVERIFY(counters.Values(0, &values, &maxima));
    QVERIFY(values[0] > 0);
    QCOMPARE(maxima[0], values[0]);
    // A second collection right after (as showing a device makes) keeps the
    // values of the full interval instead of an empty or spiky one.
    std::array<double, 5> first = values;
    counters.Collect();
    QVERIFY(counters.Values(0, &values, &maxima));
    QVERIFY(values == first);
    QVERIFY(!counters.Values(42, &values, &maxima));
    std::vector<std::wstring> texts;
    QVERIFY(counters.RowTexts(0, &texts));
    QCOMPARE(texts.size(), size_t{5});
  }

  void alertMailsGoOutWithoutFreezingTheWindow() {
    apptest::TempDir temp;
    apptest::SmtpServer server("silent", temp.File("unused"));
    appcore::AppConfig& live = appcore::LiveConfig();
    live.tecAction = 2;
    appcore::CopyField(live.recipients[0], 64, "ops@example.org");
    appcore::CopyField(live.smtpServer, 64, "127.0.0.1");
    live.smtpPort = static_cast<std::uint32_t>(server.port());
    QElapsedTimer clock;
    clock.start();
    window_->CheckHealth();  // drive 0 has a failed attribute not yet reported
    QVERIFY2(clock.elapsed() < 3000, "the alert held up the window");
    window_->Alerts()->WaitForAll();
    QVERIFY(clock.elapsed() >= 4000);  // the server's silence ran out on the worker
    QVERIFY(!sink_.shown.empty());
    QCOMPARE(QString::fromStdWString(sink_.shown[0].title), T(sw::MB_TITLE_SEND_TEST_EMAIL_ERROR));
    appcore::SetConfigDefaults(&live);
  }

  // Last: the library is cleaned up.
  void exitButtonCleansUpAndEndsTheLoop() {
    QSignalSpy quit(window_.get(), &ui::MainWindow::quitRequested);
    QTest::mouseClick(Child<QPushButton>(window_.get(), 1), Qt::LeftButton);
    QCOMPARE(quit.count(), 1);
    QCOMPARE(quit.at(0).at(0).toInt(), 0);
    QVERIFY(!window_->isVisible());
    QVERIFY(!window_->RefreshTimer()->isActive());
    QCOMPARE(HwscopeDll_Smart_GetNumDetectedDrives(), HWSCOPE_E_NOT_INITIALISED);
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
