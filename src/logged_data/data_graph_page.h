#pragma once

#include <QWidget>

class QCustomPlot;

namespace nesmo {

// The "Data graph" page: the logged data as a time chart.
class DataGraphPage final : public QWidget {
    Q_OBJECT

public:
    explicit DataGraphPage(QWidget* parent = nullptr);
    QCustomPlot* Chart2() const { return chart_; }

private:
    QCustomPlot* chart_ = nullptr;
};

}  // namespace nesmo
