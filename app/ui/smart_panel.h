// Tab 1: the SMART attribute list (1014) with status colours, description
// and trend icons and their tooltips; owns timer 1002 of the disk activity
// rows.
#pragma once

#include <QTimer>
#include <QTreeWidget>
#include <QWidget>

namespace appcore {
class HealthMonitor;
}

namespace ui {

enum SmartColumn {
  kColId = 0, kColName, kColStatus, kColInfo, kColValue, kColWorst, kColThreshold, kColRaw,
  kColTrend, kColPredicted, kSmartColumns
};

class SmartPanel : public QWidget {
  Q_OBJECT
 public:
  SmartPanel(appcore::HealthMonitor& monitor, QWidget* parent = nullptr);

  void Clear();
  // Every attribute of device in the library's order (MISC_NA in column 0
  // when it has none).
  void Fill(int device);
  QTreeWidget* List() const { return list_; }
  // Colour state of a row (0 normal, 1 warning, 2 failed).
  int RowState(int row) const;
  QTimer* ActivityTimer() { return &activityTimer_; }

 signals:
  void activityTick();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void AddAttribute(int device, int attribute, bool intelModel);
  void ApplyWidths();

  appcore::HealthMonitor& monitor_;
  QTreeWidget* list_;
  QTimer activityTimer_;
};

// "%d %b %Y %H:%M:%S" of a time in UTC with English month names.
QString PredictedDateText(long long secondsSinceEpoch);

}  // namespace ui
