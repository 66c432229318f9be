#include "widgets/instrument_progress.h"

namespace nesmo {

namespace {
constexpr int kReformatRange = 100;
constexpr int kReformatTickMs = 1000;
constexpr int kTimer4StartMs = 30;
}  // namespace

InstrumentProgress::InstrumentProgress(QProgressBar* bar, QLabel* label, QObject* parent)
    : QObject(parent), bar_(bar), label_(label)
{
    timer4_.setObjectName(QStringLiteral("Timer4"));
    timer4_.setInterval(kTimer4StartMs);
    connect(&timer4_, &QTimer::timeout, this, &InstrumentProgress::Timer4Timer);
    bar_->setRange(0, kReformatRange);
    // The bar measures time or records, not a share of the work: no percentage.
    bar_->setTextVisible(false);
    // The label blinks during a transfer; hidden, it keeps its place, so that the
    // bar below it stays where it is.
    QSizePolicy policy = label_->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    label_->setSizePolicy(policy);
}

void InstrumentProgress::setPosition(int position)
{
    position_ = qBound(bar_->minimum(), position, bar_->maximum());
    bar_->setValue(position_);
}

void InstrumentProgress::startReformat()
{
    reformatExpected_ = true;
    bar_->show();
    Timer4Timer();
}

void InstrumentProgress::Timer4Timer()
{
    timer4_.setInterval(kReformatTickMs);
    if (!transferring_) {
        int next = position_ + 1;
        if (next >= kReformatRange) next = 0;
        setPosition(next);
    }
    timer4_.start();
}

void InstrumentProgress::endReformat()
{
    reformatExpected_ = false;
    timer4_.stop();
    if (transferring_) return;
    bar_->hide();
    setPosition(kReformatRange);
}

bool InstrumentProgress::refuseReformat()
{
    if (!reformatExpected_) return false;
    endReformat();
    return true;
}

void InstrumentProgress::beginTransfer(int maximum, const QString& labelText)
{
    transferring_ = true;
    bar_->setRange(0, maximum);
    setPosition(0);
    bar_->show();
    setLabelText(labelText);
    label_->show();
}

void InstrumentProgress::setTransferPosition(int position)
{
    setPosition(position);
}

void InstrumentProgress::setLabelText(const QString& text)
{
    label_->setText(text);
}

void InstrumentProgress::setLabelShown(bool shown)
{
    label_->setVisible(shown);
}

void InstrumentProgress::endTransfer()
{
    transferring_ = false;
    bar_->hide();
    bar_->setRange(0, kReformatRange);
    setPosition(0);
    label_->setText(QString());
    label_->hide();
}

}  // namespace nesmo
