#include "ui/device_info_panel.h"

#include <QHeaderView>

#include "hwscope/hwscope.h"
#include "ui/device_info_rows.h"
#include "ui/device_queries.h"
#include "ui/list_colors.h"
#include "ui/ui_text.h"

namespace ui {

DeviceInfoPanel::DeviceInfoPanel(QWidget* parent) : QWidget(parent) {
  list_ = MakeReportList(1013, {Tr(sw::DI_TAB_ITEM), Tr(sw::DI_TAB_VALUE)}, this);
  list_->setColumnWidth(0, 250);
  list_->setColumnWidth(1, 360);
}

void DeviceInfoPanel::resizeEvent(QResizeEvent*) { list_->setGeometry(rect()); }

void DeviceInfoPanel::Clear() {
  list_->clear();
  firstActivityRow_ = -1;
}

void DeviceInfoPanel::ShowNoDevice() {
  Clear();
  auto* item = new QTreeWidgetItem(list_, {Tr(sw::DI_LIST_SELECT_DISK)});
  item->setFirstColumnSpanned(true);
  ColorRows(list_);
}

bool DeviceInfoPanel::Fill(int device, const std::wstring& status, bool problem) {
  Clear();
  DeviceInfoInput in;
  in.device = device;
  if (!ReadDeviceInfo(device, &in.record)) return false;
  in.haveModel = ReadModelNumber(device, &in.model);
  in.haveCapacity = ReadCapacityMb(device, &in.capacityMb);
  in.status = status;
  ReadInterfaceName(device, &in.interfaceName);
  in.haveSerial = ReadSerialNumber(device, &in.serial);
  in.haveFirmware = ReadFirmware(device, &in.firmware);
  int numbers[128] = {};
  int count = 128;
  in.havePartitions = HwscopeDll_Smart_GetDevicePartitionInfo(numbers, &count, device) == 0;
  for (int i = 0; in.havePartitions && i < count && i < 8; ++i) {
    wchar_t letter[4] = {};
    int megabytes = 0;
    if (HwscopeDll_Smart_GetDriveLetterFromDriveNum(letter, numbers[i]) != 0) continue;
    HwscopeDll_Smart_GetVolumeCapacity(&megabytes, numbers[i]);
    in.partitions.push_back({letter[0], megabytes});
  }
  std::vector<InfoRow> rows = BuildDeviceInfoRows(in, &firstActivityRow_);
  QList<QTreeWidgetItem*> items;
  for (const InfoRow& row : rows) items.append(new QTreeWidgetItem({Q(row.name), Q(row.value)}));
  list_->addTopLevelItems(items);
  ColorRows(list_);
  if (QTreeWidgetItem* statusRow = list_->topLevelItem(kDeviceStatusRow))
    statusRow->setForeground(1, QBrush(problem ? kWarningTextColor : kGoodTextColor));
  FitColumns(list_);
  return true;
}

void DeviceInfoPanel::SetActivityTexts(const std::vector<std::wstring>& texts) {
  if (firstActivityRow_ < 0) return;
  for (size_t i = 0; i < texts.size(); ++i)
    if (QTreeWidgetItem* item = list_->topLevelItem(firstActivityRow_ + static_cast<int>(i)))
      item->setText(1, Q(texts[i]));
  list_->resizeColumnToContents(1);
}

}  // namespace ui
