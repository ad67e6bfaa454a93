#include "ui/history_panel.h"

#include <memory>
#include <new>

#include "core/health_check.h"
#include "hwscope/hwscope.h"
#include "ui/control_ids.h"
#include "ui/device_queries.h"
#include "ui/list_colors.h"
#include "ui/ui_text.h"

namespace ui {

std::vector<int> FillAttributeChoice(QComboBox* choice, int device) {
  choice->clear();
  std::vector<int> ids;
  for (int attribute : ui::AttributeIds(device)) {
    std::wstring name;
    ReadAttributeName(device, attribute, &name);
    choice->addItem(Q(name));
    ids.push_back(attribute);
  }
  if (choice->count() > 0) choice->setCurrentIndex(0);
  return ids;
}

HistoryPanel::HistoryPanel(QWidget* parent) : QWidget(parent) {
  choice_ = Named(new QComboBox(this), 1045);
  foundLabel_ = Named(new QLabel(Tr(sw::SH_TAB_RECORDS_FOUND), this), 1076);
  displayedLabel_ = Named(new QLabel(Tr(sw::SH_TAB_RECORDS_DISPLAYED), this), 1077);
  found_ = Named(new QLabel("0", this), 1047);
  displayed_ = Named(new QLabel("0", this), 1048);
  list_ = MakeReportList(1015,
                         {Tr(sw::SH_TAB_DATE_TIME), Tr(sw::SH_TAB_VALUE), Tr(sw::SH_TAB_WORST),
                          Tr(sw::SI_TAB_RAW_VALUE)},
                         this);
  const int widths[] = {200, 50, 50, 50};
  for (int c = 0; c < 4; ++c) list_->setColumnWidth(c, widths[c]);
  connect(choice_, &QComboBox::activated, this, &HistoryPanel::OnChoice);
}

void HistoryPanel::resizeEvent(QResizeEvent*) {
  int w = width();
  choice_->setGeometry(8, 8, std::min(320, w - 16), 26);
  foundLabel_->adjustSize();
  displayedLabel_->adjustSize();
  int x = std::min(340, w - 300);
  foundLabel_->move(std::max(x, 8), 12);
  found_->setGeometry(foundLabel_->geometry().right() + 6, 12, 60, foundLabel_->height());
  displayedLabel_->move(found_->geometry().right() + 10, 12);
  displayed_->setGeometry(displayedLabel_->geometry().right() + 6, 12, 60, foundLabel_->height());
  list_->setGeometry(0, 42, w, height() - 42);
}

void HistoryPanel::Clear() {
  device_ = -1;
  choice_->clear();
  attributeIds_.clear();
  list_->clear();
  found_->setText("0");
  displayed_->setText("0");
}

void HistoryPanel::Fill(int device) {
  Clear();
  device_ = device;
  attributeIds_ = FillAttributeChoice(choice_, device);
  if (!attributeIds_.empty()) FillHistory(attributeIds_[0]);
}

void HistoryPanel::OnChoice(int index) {
  if (index >= 0 && index < static_cast<int>(attributeIds_.size()))
    FillHistory(attributeIds_[static_cast<size_t>(index)]);
}

void HistoryPanel::OneRow(const QString& text) {
  auto* item = new QTreeWidgetItem(list_, {text});
  item->setFirstColumnSpanned(true);
}

void HistoryPanel::FillHistory(int attribute) {
  list_->clear();
  found_->setText("0");
  displayed_->setText("0");
  std::unique_ptr<long long[]> times(new (std::nothrow) long long[kCapacity]);
  std::unique_ptr<int[]> values(new (std::nothrow) int[kCapacity]);
  std::unique_ptr<int[]> worsts(new (std::nothrow) int[kCapacity]);
  std::unique_ptr<unsigned long long[]> raws(new (std::nothrow) unsigned long long[kCapacity]);
  if (!times || !values || !worsts || !raws) {
    OneRow(Tr(sw::ERROR_FAILED_ALLOCATE_MEMORY));
    return;
  }
  unsigned count = kCapacity;
  int rc = HwscopeDll_Smart_ExportTECData(times.get(), values.get(), worsts.get(), raws.get(),
                                          &count, attribute, device_);
  if (rc == HWSCOPE_E_BUFFER) {
    OneRow(Tr(sw::ERROR_TOO_MANY_RECORDS));
  } else if (rc == -20004) {
    for (sw::AppKey key : {sw::SH_TAB_INFO_1_OF_4, sw::SH_TAB_INFO_2_OF_4, sw::SH_TAB_INFO_3_OF_4,
                           sw::SH_TAB_INFO_4_OF_4})
      OneRow(Tr(key));
  } else if (rc != 0) {
    OneRow(Tr(sw::ERROR_UNABLE_TO_RETRIEVE_HISTORY));
  } else {
    int n = static_cast<int>(std::min(count, kCapacity));
    found_->setText(QString::number(n));
    int shown = std::min(n, kMaxDisplayed);
    displayed_->setText(QString::number(shown));
    QList<QTreeWidgetItem*> items;
    for (int i = n - 1; i >= n - shown; --i)
      items.append(new QTreeWidgetItem(
          {QString::fromStdString(appcore::ClassicTimeText(times[i])), QString::number(values[i]),
           QString::number(worsts[i]), QString::number(raws[i])}));
    list_->addTopLevelItems(items);
  }
  ColorRows(list_);
  list_->resizeColumnToContents(3);
}

}  // namespace ui
