#include "logged_data/data_graph_page.h"

#include <qcustomplot.h>

#include <QVBoxLayout>

#include "shell/accessible.h"

namespace nesmo {

DataGraphPage::DataGraphPage(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    chart_ = name(new QCustomPlot, "Chart2", QStringLiteral("Logged data chart"));
    layout->addWidget(chart_);
}

}  // namespace nesmo
