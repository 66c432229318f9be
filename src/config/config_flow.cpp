// Flow rate, inlet and cut point: the two fields follow each other through the
// polynomials of the chosen cyclone.
#include "config/config_page.h"
#include "config/cut_point.h"
#include "core/conversion.h"
#include "core/number_pattern.h"

namespace nesmo {

void ConfigPage::CalculateCutPointExecute()
{
    if (cutPointEntry_) return;
    const std::optional<double> q = pattern::parseReal(flowRate_->text());
    if (!q) throw OperationAborted();  // a flow rate still being typed
    // Outside the range, or without a cyclone, the cut point stays as it is.
    if (const auto d = config::cutPointFromFlow(inletTypeBox_->currentIndex(), *q))
        setFieldText(cutPoint_, pattern::formatNumber(QStringLiteral("#0.00"), *d));
}

void ConfigPage::CalculateFlowRateExecute()
{
    if (!cutPointEntry_) return;
    const std::optional<double> d = pattern::parseReal(cutPoint_->text());
    if (!d) throw OperationAborted();
    if (const auto q = config::flowFromCutPoint(inletTypeBox_->currentIndex(), *d))
        setFieldText(flowRate_, pattern::formatNumber(QStringLiteral("#0.00"), *q));
}

void ConfigPage::ChangeFlowrateExecute(QWidget* left)
{
    if (auto* field = qobject_cast<QLineEdit*>(left)) NumericOnExit(field);
    const QString entered = flowRate_->text();
    const float q = static_cast<float>(strToFloat(entered));
    if (const std::optional<QString> replacement = config::flowRateReplacement(q)) {
        setFieldText(flowRate_, *replacement);
        dialogs_.message(config::flowRateOutOfRangeMessage(entered, flowRate_->text()));
    } else {
        setFieldText(flowRate_, pattern::formatNumber(QStringLiteral("0.00"), q));
    }
    CalculateCutPointExecute();
}

void ConfigPage::ChangeCutPointExecute()
{
    NumericOnExit(cutPoint_);
    cutPointEntry_ = true;
    double d = static_cast<float>(strToFloat(cutPoint_->text()));
    const int inlet = inletTypeBox_->currentIndex();
    if (const std::optional<double> replacement = config::cutPointReplacement(inlet, d)) {
        dialogs_.message(config::cutPointNotAvailableMessage(inlet, d));
        d = *replacement;
    }
    setFieldText(cutPoint_, pattern::formatNumber(QStringLiteral("#0.00"), d));
    cutPointEntry_ = false;
    // The flow rate is checked and rounded, and the cut point recomputed from it,
    // so that the two fields shown belong together.
    ChangeFlowrateExecute(cutPoint_);
}

void ConfigPage::ChangeInletTypeExecute()
{
    const bool cyclone = inletTypeBox_->currentIndex() != config::InletTotal;
    labelCutPoint_->setVisible(cyclone);
    cutPoint_->setVisible(cyclone);
    ChangeFlowrateExecute(inletTypeBox_);
    CalculateCutPointExecute();
    ConfigNotSavedExecute();
}

}  // namespace nesmo
