#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QWidget>

#include "core/app_state.h"
#include "core/dialogs.h"
#include "link/link.h"
#include "widgets/instrument_progress.h"

namespace nesmo {

class PanelWindow;

// The "Main" page: the connection button and its state, the network address, the
// hidden device filter, the panel button and the instrument's identity.
class MainPage final : public QWidget {
    Q_OBJECT

public:
    MainPage(AppState& state, Link& link, Dialogs& dialogs, PanelWindow& panel,
             QWidget* parent = nullptr);

    QPushButton* SerialConnectionButton() const { return connectButton_; }
    QGroupBox* NetworkBox() const { return networkBox_; }
    QLineEdit* NetAddress() const { return netAddress_; }
    QLineEdit* NetPort() const { return netPort_; }
    QLabel* Label19() const { return label19_; }
    QCheckBox* DeviceCheckBox() const { return deviceCheckBox_; }
    QLineEdit* DeviceNOEdit() const { return deviceNOEdit_; }
    QPushButton* ShowPanelButton() const { return showPanelButton_; }
    QProgressBar* ProgressBar2() const { return progressBar2_; }
    QLabel* LabelFWLoad() const { return labelFWLoad_; }
    InstrumentProgress& progress() { return *progress_; }
    QStatusBar* StatusBarMain() const { return statusBarMain_; }
    QLabel* StatusBarMainText() const { return statusBarMainText_; }

    // The connection button's connected flag.
    bool connected() const { return connected_; }

    void SerialConnectClick();
    // While a long operation talks to the instrument the link must stay as it
    // is: the connection button and the network box are locked.
    void setConnectionLocked(bool locked);
    void SetConnection(bool open);
    void DeviceNOSet();
    void NetworkBoxEnter();
    void NetworkBoxExit();
    void ApdComPort1WsConnect();
    void ApdComPort1WsDisconnect();

    // The port broke while open: tell the operator once and show the link closed.
    void linkLost();

private:
    std::optional<int> choosePort();
    void onFocusChanged(QWidget* old, QWidget* now);

    AppState& state_;
    Link& link_;
    Dialogs& dialogs_;
    PanelWindow& panel_;
    bool connected_ = false;

    QPushButton* connectButton_ = nullptr;
    QGroupBox* networkBox_ = nullptr;
    QLineEdit* netAddress_ = nullptr;
    QLineEdit* netPort_ = nullptr;
    QLabel* label19_ = nullptr;
    QCheckBox* deviceCheckBox_ = nullptr;
    QLineEdit* deviceNOEdit_ = nullptr;
    QPushButton* showPanelButton_ = nullptr;
    QProgressBar* progressBar2_ = nullptr;
    QLabel* labelFWLoad_ = nullptr;
    InstrumentProgress* progress_ = nullptr;
    QStatusBar* statusBarMain_ = nullptr;
    QLabel* statusBarMainText_ = nullptr;
};

}  // namespace nesmo
