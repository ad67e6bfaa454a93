#include "ui/device_list.h"

#include <QKeyEvent>
#include <algorithm>

#include "ui/control_ids.h"
#include "ui/icons.h"
#include "ui/ui_text.h"

namespace ui {

namespace {
constexpr int kRowRole = Qt::UserRole + 1;
constexpr int kTitleHeight = 20;
constexpr int kCellWidth = 168;
constexpr int kCellHeight = 80;
}  // namespace

DeviceList::DeviceList(QWidget* parent) : QWidget(parent) {
  setObjectName(IdName(kIdDeviceList));
  const sw::AppKey titles[2] = {sw::LABEL_SMART_ENABLED_DEVICES, sw::LABEL_OTHER_DEVICES};
  for (int g = 0; g < 2; ++g) {
    titles_[g] = new QLabel(Tr(titles[g]), this);
    titles_[g]->setObjectName(QString("group%1").arg(g));
    QFont bold = titles_[g]->font();
    bold.setBold(true);
    titles_[g]->setFont(bold);
    titles_[g]->setStyleSheet("color: #1f4e79; border-bottom: 1px solid #9fb4c8;");
    auto* list = new QListWidget(this);
    list->setObjectName(QString("group%1list").arg(g));
    list->setViewMode(QListView::IconMode);
    list->setFlow(QListView::LeftToRight);
    list->setWrapping(true);
    list->setResizeMode(QListView::Adjust);
    list->setMovement(QListView::Static);
    list->setIconSize(QSize(32, 32));
    list->setGridSize(QSize(kCellWidth, kCellHeight));
    // One line each for the number, the model and the capacity; a long
    // model is elided and shown whole in the tooltip.
    list->setWordWrap(false);
    list->setTextElideMode(Qt::ElideRight);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list->installEventFilter(this);
    connect(list, &QListWidget::itemSelectionChanged, this, [this, g] { OnSelection(g); });
    lists_[g] = list;
  }
  UpdateGroups();
}

void DeviceList::resizeEvent(QResizeEvent*) { UpdateGroups(); }

void DeviceList::UpdateGroups() {
  // Empty groups are not shown. The other devices get the rows they need
  // (at most one); the SMART devices the rest, scrolling when that is short.
  int perRow = std::max(1, (width() - 20) / kCellWidth);
  auto needed = [&](int g) {
    int rows = (lists_[g]->count() + perRow - 1) / perRow;
    return kTitleHeight + rows * kCellHeight + 6;
  };
  int heights[2] = {0, 0};
  if (lists_[1]->count() > 0) heights[1] = std::min(needed(1), kTitleHeight + kCellHeight + 6);
  if (lists_[0]->count() > 0) heights[0] = height() - heights[1] - (heights[1] > 0 ? 4 : 0);
  int y = 0;
  for (int g = 0; g < 2; ++g) {
    bool visible = lists_[g]->count() > 0;
    titles_[g]->setVisible(visible);
    lists_[g]->setVisible(visible);
    if (!visible) continue;
    titles_[g]->setGeometry(0, y, width(), kTitleHeight);
    lists_[g]->setGeometry(0, y + kTitleHeight, width(), heights[g] - kTitleHeight);
    y += heights[g] + 4;
  }
}

void DeviceList::Clear() {
  quiet_ = true;
  for (QListWidget* list : lists_) list->clear();
  quiet_ = false;
  rows_.clear();
  selected_ = -1;
  UpdateGroups();
}

int DeviceList::AddDevice(int group, const QString& text, int device) {
  auto* item = new QListWidgetItem(group == 0 ? DriveIcon() : WarningIcon(), text);
  int row = static_cast<int>(rows_.size());
  item->setData(kRowRole, row);
  item->setTextAlignment(Qt::AlignHCenter | Qt::AlignTop);
  item->setToolTip(text);
  quiet_ = true;
  lists_[group]->addItem(item);
  quiet_ = false;
  rows_.push_back({group, device, item});
  UpdateGroups();
  return row;
}

int DeviceList::DeviceOfRow(int row) const {
  return row >= 0 && row < RowCount() ? rows_[static_cast<size_t>(row)].device : -1;
}

int DeviceList::GroupOfRow(int row) const {
  return row >= 0 && row < RowCount() ? rows_[static_cast<size_t>(row)].group : -1;
}

QString DeviceList::TextOfRow(int row) const {
  return row >= 0 && row < RowCount() ? rows_[static_cast<size_t>(row)].item->text() : QString();
}

void DeviceList::SelectRow(int row) {
  quiet_ = true;
  for (QListWidget* list : lists_) list->clearSelection();
  if (row >= 0 && row < RowCount()) {
    const Row& r = rows_[static_cast<size_t>(row)];
    lists_[r.group]->setCurrentItem(r.item);
    r.item->setSelected(true);
  }
  quiet_ = false;
  selected_ = row >= 0 && row < RowCount() ? row : -1;
}

void DeviceList::OnSelection(int group) {
  if (quiet_) return;
  QList<QListWidgetItem*> chosen = lists_[group]->selectedItems();
  int row = -1;
  if (!chosen.isEmpty()) {
    row = chosen.first()->data(kRowRole).toInt();
    quiet_ = true;
    lists_[1 - group]->clearSelection();
    quiet_ = false;
  } else if (!lists_[1 - group]->selectedItems().isEmpty()) {
    return;  // the selection moved to the other group
  }
  if (row == selected_) return;
  selected_ = row;
  emit rowSelected(row);
}

bool DeviceList::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F5) {
    emit refreshRequested();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace ui
