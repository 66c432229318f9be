#include "shell/main_page.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPainter>
#include <QSerialPortInfo>
#include <QVBoxLayout>

#include "core/conversion.h"
#include "link/commands.h"
#include "panel/panel_window.h"
#include "widgets/control_names.h"
#include "widgets/run_guarded.h"

namespace nesmo {

namespace {

const QString kCaptionNone = QStringLiteral("Serial Connection:  none   ");
const QString kCaptionStandby = QStringLiteral("standby");

QString connectedCaption(int port)
{
    return QStringLiteral("Serial Connection : COM%1").arg(port);
}

QPixmap makeLogo()
{
    QPixmap pm(96, 96);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0, 90, 160));
    p.setPen(Qt::NoPen);
    p.drawEllipse(4, 4, 88, 88);
    p.setBrush(QColor(120, 200, 255));
    for (int i = 0; i < 9; ++i)
        p.drawEllipse(22 + (i * 37) % 52, 20 + (i * 23) % 52, 6 + i % 3 * 2, 6 + i % 3 * 2);
    return pm;
}

}  // namespace

MainPage::MainPage(AppState& state, Link& link, Dialogs& dialogs, PanelWindow& panel,
                   QWidget* parent)
    : QWidget(parent), state_(state), link_(link), dialogs_(dialogs), panel_(panel)
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 0);

    auto* header = new QHBoxLayout;
    auto* logo = nameField(new QLabel, "Image1", QStringLiteral("Logo"));
    logo->setPixmap(makeLogo());
    header->addWidget(logo);
    auto* title = nameControl(new QLabel(QStringLiteral("Nesmo Port")), "Label1");
    QFont titleFont = title->font();
    titleFont.setPointSize(20);
    titleFont.setBold(true);
    title->setFont(titleFont);
    header->addWidget(title, 1);
    outer->addLayout(header);

    auto* settings = nameControl(new QGroupBox(QStringLiteral("Settings")), "GroupBox1");
    auto* sl = new QHBoxLayout(settings);
    auto* portLabel = nameControl(new QLabel(QStringLiteral("Select  serial port:")), "Label2");
    sl->addWidget(portLabel);
    connectButton_ = nameControl(new QPushButton(kCaptionNone), "SerialConnectionButton");
    connectButton_->setToolTip(QStringLiteral("Set or refresh serial connection"));
    connectButton_->setMinimumWidth(220);
    portLabel->setBuddy(connectButton_);
    sl->addWidget(connectButton_);
    sl->addStretch(1);
    outer->addWidget(settings);

    networkBox_ = nameControl(new QGroupBox(QStringLiteral("Network Connection")), "NetworkBox");
    auto* nl = new QGridLayout(networkBox_);
    auto* addrLabel = new QLabel(QStringLiteral("Address"));
    netAddress_ = nameField(new QLineEdit, "NetAddress", QStringLiteral("Network address"));
    addrLabel->setBuddy(netAddress_);
    auto* portLbl = new QLabel(QStringLiteral("Port"));
    netPort_ = nameField(new QLineEdit, "NetPort", QStringLiteral("Network port"));
    portLbl->setBuddy(netPort_);
    nl->addWidget(addrLabel, 0, 0);
    nl->addWidget(netAddress_, 0, 1);
    nl->addWidget(portLbl, 0, 2);
    nl->addWidget(netPort_, 0, 3);
    label19_ = nameControl(new QLabel(QStringLiteral("un connected")), "Label19");
    nl->addWidget(label19_, 0, 4);
    nl->setColumnStretch(1, 1);
    networkBox_->setVisible(false);
    outer->addWidget(networkBox_);

    auto* row = new QHBoxLayout;
    showPanelButton_ =
        nameControl(new QPushButton(QStringLiteral("Show instrument panel")), "ShowPanelButton");
    showPanelButton_->setToolTip(QStringLiteral("Control instrument from this application"));
    row->addWidget(showPanelButton_);
    row->addStretch(1);
    outer->addLayout(row);

    labelFWLoad_ = nameControl(new QLabel, "LabelFWLoad");
    labelFWLoad_->setWordWrap(true);  // a long file name never widens the window
    labelFWLoad_->hide();
    outer->addWidget(labelFWLoad_);
    progressBar2_ =
        nameField(new QProgressBar, "ProgressBar2", QStringLiteral("Instrument progress"));
    progressBar2_->hide();
    outer->addWidget(progressBar2_);
    progress_ = new InstrumentProgress(progressBar2_, labelFWLoad_, this);

    // The device filter is set in the settings file only; its controls are never shown.
    deviceCheckBox_ =
        nameControl(new QCheckBox(QStringLiteral("Device Filter:"), this), "DeviceCheckBox");
    deviceCheckBox_->hide();
    deviceNOEdit_ = nameField(new QLineEdit(QStringLiteral("1"), this), "DeviceNOEdit",
                              QStringLiteral("Device number"));
    deviceNOEdit_->hide();

    outer->addStretch(1);
    statusBarMain_ =
        nameField(new QStatusBar, "StatusBarMain", QStringLiteral("Instrument identity"));
    statusBarMain_->setSizeGripEnabled(false);
    statusBarMainText_ = new QLabel;
    statusBarMainText_->setObjectName(QStringLiteral("StatusBarMainText"));
    statusBarMain_->addWidget(statusBarMainText_, 1);
    outer->addWidget(statusBarMain_);

    connect(connectButton_, &QPushButton::clicked, this,
            [this] { runGuarded(dialogs_, [this] { SerialConnectClick(); }); });
    connect(qApp, &QApplication::focusChanged, this, &MainPage::onFocusChanged);

    Port& port = link_.port();
    port.setChooser([this] { return choosePort(); });
    connect(&port, &Port::networkConnected, this, &MainPage::ApdComPort1WsConnect);
    connect(&port, &Port::networkDisconnected, this, &MainPage::ApdComPort1WsDisconnect);
    connect(&link_, &Link::linkLost, this, &MainPage::linkLost);
}

void MainPage::SerialConnectClick()
{
    if (!state_.ConnectGuard) return;
    if (state_.FirmwareUpgradeActive) {
        dialogs_.message(QStringLiteral(
            "A firmware transfer is running: the connection stays as it is until it has "
            "finished."));
        return;
    }
    connected_ = !connected_;
    connectButton_->setText(kCaptionStandby);
    link_.port().setAutoOpen(connected_);
    SetConnection(connected_);
    state_.NotesHintPending = false;
    link_.SendCommand(QByteArray(cmd::kSerialNumber));
    link_.SendCommand(QByteArray(cmd::kDisplayRefresh));
}

void MainPage::SetConnection(bool open)
{
    Port& port = link_.port();
    if (open || state_.NetworkMode) {
        if (open) {
            if (!port.open()) {
                const Port::OpenError err = port.lastError();
                switch (err.kind) {
                    case Port::Failure::Busy:
                    case Port::Failure::NotFound:
                    case Port::Failure::PermissionDenied:
                        port.close();
                        dialogs_.message(err.text);
                        break;
                    default:
                        // The open failed for another reason (no port chosen, say):
                        // reported by the standard error box, the link stays closed.
                        port.close();
                        port.setPortNumber(0);
                        connected_ = false;
                        connectButton_->setText(kCaptionNone);
                        dialogs_.error(err.text);
                        return;
                }
            }
        } else {
            port.close();
        }
    } else {
        port.close();
    }

    state_.ConnectGuard = false;
    connected_ = port.isOpen();
    state_.ConnectGuard = true;

    if (connected_) {
        connectButton_->setText(connectedCaption(port.portNumber()));
        // The first exchange starts with empty buffers and no reply pending.
        port.close();
        port.open();
        port.discardBuffers();
        link_.resetExchange();
        if (state_.FirmwareVersion == 0) link_.SendCommand(QByteArray(cmd::kFirmwareVersion));
    } else {
        port.setPortNumber(0);
        connectButton_->setText(kCaptionNone);
    }
}

std::optional<int> MainPage::choosePort()
{
    Port& port = link_.port();
    // Devices the system has but the settings do not name get free numbers.
    PortMap trial = port.portMap();
    QStringList systemDevices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        systemDevices << info.systemLocation();
    trial.assignNumbers(systemDevices);

    QStringList entries;
    QList<int> numbers;
    for (const PortMap::Entry& e : trial.entries()) {
        const Port::Probe probe = port.probe(e.device);
        if (probe == Port::Probe::Unavailable) continue;
        QString text = QStringLiteral("COM%1   %2").arg(e.number).arg(e.device);
        const QSerialPortInfo info(e.device);
        if (!info.description().isEmpty()) text += QStringLiteral("   ") + info.description();
        if (info.hasVendorIdentifier() && info.hasProductIdentifier())
            text += QStringLiteral("   USB %1:%2")
                        .arg(info.vendorIdentifier(), 4, 16, QLatin1Char('0'))
                        .arg(info.productIdentifier(), 4, 16, QLatin1Char('0'));
        if (probe == Port::Probe::Busy) text += QStringLiteral("   (in use)");
        if (probe == Port::Probe::NoPermission) text += QStringLiteral("   (no permission)");
        entries << text;
        numbers << e.number;
    }
    const std::optional<int> index = dialogs_.choosePort(entries);
    if (!index || *index < 0 || *index >= numbers.size()) return std::nullopt;
    const int number = numbers[*index];
    // Remember the device behind a number the system gave out.
    if (trial.devicePath(number) != port.portMap().devicePath(number))
        port.portMap().setExplicit(number, trial.devicePath(number));
    return number;
}

void MainPage::DeviceNOSet()
{
    state_.DeviceFilterNumber = deviceCheckBox_->isChecked() ? strToInt(deviceNOEdit_->text()) : 0;
    panel_.setDeviceText(QStringLiteral("Unit # %1").arg(strToInt(deviceNOEdit_->text())));
    panel_.setSerialText(QString());
}

void MainPage::setConnectionLocked(bool locked)
{
    connectButton_->setEnabled(!locked);
    networkBox_->setEnabled(!locked);
}

void MainPage::NetworkBoxEnter()
{
    if (state_.FirmwareUpgradeActive) return;
    link_.port().close();
}

void MainPage::NetworkBoxExit()
{
    if (state_.FirmwareUpgradeActive) return;
    Port& port = link_.port();
    port.setHostAddress(netAddress_->text());
    bool ok = false;
    const uint tcpPort = netPort_->text().trimmed().toUInt(&ok);
    if (!ok || tcpPort == 0 || tcpPort > 65535) {
        dialogs_.message(QStringLiteral("The network port must be a number from 1 to 65535."));
        netPort_->setText(QString::number(port.tcpPort()));
        return;
    }
    port.setTcpPort(static_cast<quint16>(tcpPort));
    port.open();
}

void MainPage::ApdComPort1WsConnect()
{
    if (state_.NetworkMode) label19_->setText(QStringLiteral("connected    "));
}

void MainPage::ApdComPort1WsDisconnect()
{
    if (state_.NetworkMode) label19_->setText(QStringLiteral("un connected"));
}

void MainPage::linkLost()
{
    if (!state_.NetworkMode) {
        // The serial device went away (a USB adapter pulled out): show the link closed.
        state_.ConnectGuard = false;
        connected_ = false;
        state_.ConnectGuard = true;
        link_.port().setPortNumber(0);
        connectButton_->setText(kCaptionNone);
    }
}

void MainPage::onFocusChanged(QWidget* old, QWidget* now)
{
    if (!state_.NetworkMode) return;
    // The program losing or regaining the focus (another application in front) is
    // no entering or leaving of the box.
    if (!old || !now) return;
    const bool wasInside = old && networkBox_->isAncestorOf(old);
    const bool isInside = now && networkBox_->isAncestorOf(now);
    if (!wasInside && isInside) runGuarded(dialogs_, [this] { NetworkBoxEnter(); });
    if (wasInside && !isInside) runGuarded(dialogs_, [this] { NetworkBoxExit(); });
}

}  // namespace nesmo
