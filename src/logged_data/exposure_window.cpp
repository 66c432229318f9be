#include "logged_data/exposure_window.h"

#include <QClipboard>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QScrollArea>
#include <QVBoxLayout>

#include "widgets/control_names.h"

namespace nesmo {

namespace {

QLabel* wrappedLabel(const char* objectName)
{
    auto* label = nameControl(new QLabel, objectName);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QTableWidget* figureTable(const char* objectName, const QString& readable)
{
    auto* table = nameField(new QTableWidget, objectName, readable);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    return table;
}

// Text columns to the left, numbers to the right.
void fillTable(QTableWidget* table, const QStringList& header, const QList<QStringList>& rows)
{
    table->clear();
    table->setColumnCount(static_cast<int>(header.size()));
    table->setHorizontalHeaderLabels(header);
    table->setRowCount(static_cast<int>(rows.size()));
    for (int row = 0; row < rows.size(); ++row)
        for (int col = 0; col < rows[row].size(); ++col) {
            const QString& text = rows[row][col];
            auto* item = new QTableWidgetItem(text);
            const bool number = !text.isEmpty() && (text[0].isDigit() || text[0] == u'-') &&
                                !text.contains(QLatin1Char(':'));
            if (number) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table->setItem(row, col, item);
        }
    table->setVisible(!rows.isEmpty());
    table->resizeColumnsToContents();
}

}  // namespace

ExposureWindow::ExposureWindow(TextSource text, RangeSource range, QWidget* parent)
    : QDialog(parent), source_(std::move(text)), range_(std::move(range))
{
    setObjectName(QStringLiteral("ExposureWindow"));
    setWindowTitle(QStringLiteral("Exposure summary"));
    auto* layout = new QVBoxLayout(this);

    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    scope_ = nameControl(new QLabel, "ExposureScope");
    QFont heading = scope_->font();
    heading.setBold(true);
    heading.setPointSizeF(heading.pointSizeF() * 1.15);
    scope_->setFont(heading);
    column->addWidget(scope_);
    headline_ = new QWidget;
    headlineGrid_ = new QGridLayout(headline_);
    headlineGrid_->setContentsMargins(0, 0, 0, 0);
    headlineGrid_->setColumnStretch(2, 1);
    column->addWidget(headline_);
    daily_ = figureTable("ExposureDailyTable", QStringLiteral("8-hour TWA per day"));
    // A long tag's days scroll inside their table.
    daily_->setMaximumHeight(220);
    column->addWidget(daily_);
    facts_ = wrappedLabel("ExposureFacts");
    column->addWidget(facts_);
    table_ =
        nameField(new QTableWidget, "ExposureSeriesTable", QStringLiteral("Series statistics"));
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    table_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    column->addWidget(table_);
    notes_ = wrappedLabel("ExposureNotes");
    column->addWidget(notes_);
    column->addStretch(1);

    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(content);
    layout->addWidget(scroll, 1);

    auto* row = new QHBoxLayout;
    visibleOnly_ = nameControl(new QCheckBox(QStringLiteral("&Visible range only")),
                               "ExposureVisibleRangeOnly");
    visibleOnly_->setToolTip(QStringLiteral("Summarise the records the chart shows"));
    row->addWidget(visibleOnly_);
    row->addStretch(1);
    copy_ = nameControl(new QPushButton(QStringLiteral("&Copy")), "ExposureCopy");
    copy_->setToolTip(QStringLiteral("Copy the figures as text, the table as tab-separated lines"));
    print_ = nameControl(new QPushButton(QStringLiteral("&Print\u2026")), "ExposurePrint");
    print_->setToolTip(QStringLiteral("Print the tag's header, the chart and these figures"));
    report_ = nameControl(new QPushButton(QStringLiteral("Save &report\u2026")), "ExposureReport");
    report_->setToolTip(QStringLiteral("Save the report as a PDF document or an HTML page"));
    // Enter copies, as it did before there were other buttons.
    print_->setAutoDefault(false);
    report_->setAutoDefault(false);
    auto* close = nameControl(new QPushButton(QStringLiteral("Close")), "ExposureClose");
    row->addWidget(copy_);
    row->addWidget(print_);
    row->addWidget(report_);
    row->addWidget(close);
    layout->addLayout(row);
    resize(900, 600);

    refreshTimer_.setSingleShot(true);
    refreshTimer_.setInterval(150);
    connect(&refreshTimer_, &QTimer::timeout, this, &ExposureWindow::refresh);
    connect(visibleOnly_, &QCheckBox::toggled, this, &ExposureWindow::refresh);
    connect(copy_, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(plainText()); });
    connect(print_, &QPushButton::clicked, this, &ExposureWindow::printRequested);
    connect(report_, &QPushButton::clicked, this, &ExposureWindow::reportRequested);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
}

QString ExposureWindow::scope() const
{
    return visibleOnly_->isChecked() ? QStringLiteral("Exposure summary of the visible range")
                                     : QStringLiteral("Exposure summary of the whole tag");
}

ExposureSummary ExposureWindow::summaryOf(const QByteArray& text) const
{
    const std::optional<std::pair<double, double>> range =
        visibleOnly_->isChecked() && range_ ? range_() : std::nullopt;
    return range ? summarizeExposure(text, range->first, range->second) : summarizeExposure(text);
}

QString ExposureWindow::plainText() const
{
    return scope() + QStringLiteral("\n\n") + exposureSummaryText(summary_);
}

void ExposureWindow::showSummary()
{
    refresh();
    show();
    raise();
    activateWindow();
}

void ExposureWindow::scheduleRefresh()
{
    if (isVisible()) refreshTimer_.start();
}

void ExposureWindow::refresh()
{
    refreshTimer_.stop();
    summary_ = summaryOf(source_ ? source_() : QByteArray());
    showFigures();
}

void ExposureWindow::showFigures()
{
    // Numbers as the user writes them; copies and files take a full stop.
    const ExposureLayout layout = exposureLayout(summary_, QLocale());
    scope_->setText(scope());

    qDeleteAll(headlineLabels_);
    headlineLabels_.clear();
    int r = 0;
    for (const ExposureFigure& f : layout.headline) {
        auto* name = new QLabel(f.name);
        auto* value = new QLabel(f.value);
        QFont bold = value->font();
        bold.setBold(true);
        name->setFont(bold);
        value->setFont(bold);
        auto* detail = new QLabel(f.detail);
        detail->setWordWrap(true);
        headlineGrid_->addWidget(name, r, 0, Qt::AlignTop);
        headlineGrid_->addWidget(value, r, 1, Qt::AlignTop | Qt::AlignRight);
        headlineGrid_->addWidget(detail, r, 2, Qt::AlignTop);
        // Shown at once, not after the next turn of the event loop.
        for (QLabel* label : {name, value, detail}) {
            label->setTextInteractionFlags(Qt::TextSelectableByMouse);
            label->show();
        }
        headlineLabels_ << name << value << detail;
        ++r;
    }

    facts_->setText(layout.facts.join(QLatin1Char('\n')));
    fillTable(daily_, layout.dailyHeader, layout.daily);
    fillTable(table_, layout.tableHeader, layout.table);
    notes_->setText(layout.notes.isEmpty() ? QString()
                                           : QStringLiteral("Notes:\n\u2022 ") +
                                                 layout.notes.join(QStringLiteral("\n\u2022 ")));
}

}  // namespace nesmo
