#pragma once

#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QProgressBar>
#include <QTimer>

namespace nesmo {

// The Main page's progress bar (ProgressBar2) and the label above it
// (LabelFWLoad), shared by the two long instrument operations: the data-memory
// re-format, whose bar measures time (Timer4 adds one a second and starts again
// every 100 seconds), and the firmware transfer, whose bar counts records.
// QProgressBar ignores a value outside its range, so the position is kept here
// and always handed over inside it.
class InstrumentProgress final : public QObject {
    Q_OBJECT

public:
    InstrumentProgress(QProgressBar* bar, QLabel* label, QObject* parent = nullptr);

    QTimer& Timer4() { return timer4_; }
    int position() const { return position_; }

    // Re-format: asked for, so that its report may come from now on.
    void expectReformat() { reformatExpected_ = true; }
    // The bar shown and its first tick at once.
    void startReformat();
    void Timer4Timer();
    // The re-format has ended (the instrument reported it done, or the program
    // no longer waits for it): the ticking stops, the bar is hidden at 100.
    // During a transfer the bar is the transfer's and stays.
    void endReformat();
    // The instrument refused the re-format: true when one was expected, which
    // then ends as above.
    bool refuseReformat();
    // Asked for and not yet ended: the bar is the re-format's.
    bool reformatExpected() const { return reformatExpected_; }
    bool reformatRunning() const { return timer4_.isActive(); }

    // Transfer: the bar over 0 to maximum at 0 and shown, the label shown.
    void beginTransfer(int maximum, const QString& labelText);
    void setTransferPosition(int position);
    void setLabelText(const QString& text);
    void setLabelShown(bool shown);
    // The bar hidden with its range back to 0 to 100, the label empty and hidden.
    void endTransfer();
    bool transferring() const { return transferring_; }

private:
    void setPosition(int position);

    QPointer<QProgressBar> bar_;
    QPointer<QLabel> label_;
    QTimer timer4_;
    int position_ = 0;
    bool transferring_ = false;
    bool reformatExpected_ = false;
};

}  // namespace nesmo
