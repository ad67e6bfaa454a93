#include "ui/smart_panel.h"

#include <QHeaderView>
#include <ctime>

#include "core/app_config.h"
#include "core/attribute_descriptions.h"
#include "core/debug_log.h"
#include "core/health_check.h"
#include "core/smart_source.h"
#include "hwscope/hwscope.h"
#include "ui/control_ids.h"
#include "ui/device_queries.h"
#include "ui/icons.h"
#include "ui/list_colors.h"
#include "ui/ui_text.h"

namespace ui {

namespace {
constexpr int kDescriptionRole = Qt::UserRole + 1;
constexpr int kStateRole = Qt::UserRole + 2;
constexpr int kStartWidths[kSmartColumns] = {30, 190, 50, 20, 45, 45, 65, 70, 20, 130};
}  // namespace

QString PredictedDateText(long long secondsSinceEpoch) {
  static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::time_t t = static_cast<std::time_t>(secondsSinceEpoch);
  std::tm tm{};
  if (gmtime_r(&t, &tm) == nullptr) return QString();
  return QString::asprintf("%02d %s %04d %02d:%02d:%02d", tm.tm_mday, months[tm.tm_mon],
                           tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
}

SmartPanel::SmartPanel(appcore::HealthMonitor& monitor, QWidget* parent)
    : QWidget(parent), monitor_(monitor) {
  list_ = MakeReportList(1014,
                         {Tr(sw::SI_TAB_ID), Tr(sw::SI_TAB_DESC), Tr(sw::SI_TAB_STATUS), "",
                          Tr(sw::SI_TAB_VALUE), Tr(sw::SI_TAB_WORST), Tr(sw::SI_TAB_THRESHOLD),
                          Tr(sw::SI_TAB_RAW_VALUE), "", Tr(sw::SI_TAB_PREDICTED_TEC_DATE)},
                         this);
  for (int c = 0; c < kSmartColumns; ++c) list_->setColumnWidth(c, kStartWidths[c]);
  activityTimer_.setObjectName(IdName(kTimerActivity));
  connect(&activityTimer_, &QTimer::timeout, this, &SmartPanel::activityTick);
}

void SmartPanel::resizeEvent(QResizeEvent*) { list_->setGeometry(rect()); }

void SmartPanel::Clear() { list_->clear(); }

int SmartPanel::RowState(int row) const {
  QTreeWidgetItem* item = list_->topLevelItem(row);
  return item ? item->data(kColId, kStateRole).toInt() : 0;
}

void SmartPanel::ApplyWidths() {
  FitColumns(list_);
  list_->setColumnWidth(kColInfo, 30);
}

void SmartPanel::Fill(int device) {
  Clear();
  std::wstring model;
  bool intel = ReadModelNumber(device, &model) && IsIntelModel(model);
  std::vector<int> ids = AttributeIds(device);
  if (ids.empty()) {
    new QTreeWidgetItem(list_, {Tr(sw::MISC_NA)});
  } else {
    for (int attribute : ids) AddAttribute(device, attribute, intel);
  }
  ColorRows(list_);
  ApplyWidths();
}

void SmartPanel::AddAttribute(int device, int attribute, bool intelModel) {
  appcore::LibrarySmartSource source;
  std::wstring name;
  if (attribute == 190 && intelModel)
    name = L"Temperature";
  else
    source.Name(device, attribute, 256, &name);
  int description = appcore::FindAttributeDescription(attribute, name);

  auto* item = new QTreeWidgetItem(list_);
  item->setText(kColId, QString::asprintf("%X", attribute));
  item->setText(kColName, Q(name));
  ui::RowState state = ui::RowState::Normal;

  long long first = 0, second = 0;
  if (HwscopeDll_Smart_EstimateTECByAttributeID(&first, &second, attribute, device) == 0 &&
      first != 0) {
    item->setText(kColPredicted, PredictedDateText(first));
    state = ui::RowState::Warning;
  } else {
    item->setText(kColPredicted, Tr(sw::MISC_NA));
  }

  int isNvme = 0;
  source.Value(device, attribute, HWSCOPE_VALUE_IS_NVME, &isNvme);
  std::uint64_t raw = 0;
  source.Raw(device, attribute, &raw);
  appcore::WriteDebugLog(appcore::FormatText(
      L"AddAttributeToList - AttrID: %d, AttrType: %d, RawValue: %lld", attribute, isNvme,
      static_cast<long long>(raw)));

  bool temperatureRow = isNvme ? attribute == 1 : attribute == 194;
  int celsius = 0;
  if (temperatureRow && monitor_.Temperature(device, attribute, isNvme != 0, &celsius) == 0) {
    const appcore::AppConfig& config = appcore::LiveConfig();
    if (config.temperatureUnit == 1)
      item->setText(kColRaw, QString::asprintf(
                                 "%ld F", static_cast<long>(appcore::CelsiusToFahrenheit(
                                              static_cast<float>(celsius)))));
    else
      item->setText(kColRaw, QString::asprintf("%ld C", static_cast<long>(celsius)));
    state = config.warnLevelC <= static_cast<float>(celsius) ? ui::RowState::Warning : ui::RowState::Normal;
  } else {
    item->setText(kColRaw, QString::number(isNvme ? raw : (raw & 0xFFFFFFFFFFFFull)));
  }

  int exceeded = 0;
  source.Value(device, attribute, HWSCOPE_VALUE_EXCEEDED, &exceeded);
  if (exceeded == 1) state = ui::RowState::Failed;
  item->setText(kColStatus, Tr(exceeded == 1 ? sw::MISC_FAIL : sw::MISC_OK));

  int current = 0, worst = 0, threshold = 0;
  source.Value(device, attribute, HWSCOPE_VALUE_CURRENT, &current);
  source.Value(device, attribute, HWSCOPE_VALUE_WORST, &worst);
  source.Value(device, attribute, HWSCOPE_VALUE_THRESHOLD, &threshold);
  item->setText(kColValue, QString::number(current));
  item->setText(kColWorst, QString::number(worst));
  item->setText(kColThreshold, QString::number(threshold));

  item->setData(kColId, kDescriptionRole, description);
  item->setData(kColId, kStateRole, static_cast<int>(state));
  if (state == ui::RowState::Warning) SetRowTextColor(item, kWarningTextColor);
  if (state == ui::RowState::Failed) SetRowTextColor(item, kFailedTextColor);

  if (description >= 0) {
    const appcore::AttributeDescription& d = appcore::AttributeDescriptions()[description];
    item->setIcon(kColInfo, InformationIcon());
    item->setToolTip(kColInfo, Q(d.description));
    if (d.rawTrend != 0) {
      item->setIcon(kColTrend, TrendIcon(d.rawTrend));
      item->setToolTip(kColTrend,
                       Tr(d.rawTrend == 1 ? sw::SI_RAW_VALUE_HIGHER : sw::SI_RAW_VALUE_LOWER));
    }
  }
}

}  // namespace ui
