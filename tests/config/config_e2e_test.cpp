// The configuration page against nesmo7-sim over a real pseudo-terminal: what
// the program sends, byte for byte, and what comes back.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <csignal>

#include "config/page_rig.h"

namespace nesmo::test {
namespace {

const QByteArray kRead =
    "logperiod\rautostart\rtag\rdisplayavg\runits\ranalogout\rflowrate\rrhcorrect\rbacklight\r"
    "alarm\ralarm 1\ralarm 2\ralarm 0\rinlet\rsite\rcalfactor\rdate\rtime\rv 236\rV 141\r"
    "v 141\rv 144\r";

// Connected to the simulator, the configuration page read once.
struct ReadRig : PageRig {
    explicit ReadRig(QStringList simArgs = {})
        : PageRig(true, QStringList{"--clock", "2025-03-01 10:00:00"} + simArgs)
    {
        show();
        sent();
        window->ViewConfigExecute();
        settle();
        readBytes = sent();
    }
    QByteArray readBytes;
    ConfigPage& p() { return *page(); }
    QString status() { return page()->statusText(); }
};

TEST(ConfigE2E, FirstShowingReadsTheWholeConfigurationOnce)
{
    ReadRig rig;
    ASSERT_TRUE(rig.sim->ready());
    EXPECT_EQ(rig.readBytes, kRead);
    ConfigPage& p = rig.p();
    EXPECT_EQ(rig.status(), "Configuration has been loaded from instrument.");
    EXPECT_EQ(
        p.LogPeriodHourEdit()->text() + p.LogPeriodMinEdit()->text() + p.LogPeriodSecEdit()->text(),
        "000100");
    EXPECT_EQ(p.TagNumberEdit()->text(), "03");
    EXPECT_TRUE(p.LoggingEnable()->isChecked());
    EXPECT_EQ(p.DisplayAvgEdit()->text(), "10");
    EXPECT_EQ(p.UnitsBox()->currentText(), "MASS [mg/m3]");
    EXPECT_FALSE(p.AnalogRange(3)->isHidden());
    EXPECT_EQ(p.AnalogRange(3)->currentText(), "1.000 mg/m3");
    EXPECT_EQ(p.FlowRateEdit()->text(), loc("1.70"));
    EXPECT_TRUE(p.RHCorrectionBox()->isChecked());
    EXPECT_TRUE(p.BacklightEnable()->isChecked());
    EXPECT_EQ(p.RadioGroupAlarm()->itemIndex(), 0);
    EXPECT_EQ(p.ConcAlarmLevelEdit()->text(), loc("1.500"));
    EXPECT_EQ(p.StelAlarmLevelEdit()->text(), loc("0.500"));
    EXPECT_FALSE(p.ConcAlarmLevelEdit()->isEnabled());
    EXPECT_EQ(p.InletTypeBox()->currentText(), "TOTAL");
    EXPECT_TRUE(p.CutPointEdit()->isHidden());
    EXPECT_EQ(p.Edit2()->text(), "1");
    EXPECT_EQ(p.Label25()->text(), "Factory default");
    EXPECT_EQ(p.CalFactorEdit()->text(), loc("1.00"));
    EXPECT_EQ(p.DateDayEdit()->text() + p.DateMonthEdit()->currentText() + p.DateYearEdit()->text(),
              "01Mar2025");
    EXPECT_EQ(p.TimeHourEdit()->text(), "10");
    EXPECT_EQ(p.AutoStartDay()->text() + p.AutoStartMonth()->currentText() +
                  p.AutoStartYear()->text() + " " + p.AutoStartHour()->text() + ":" +
                  p.AutoStartMin()->text(),
              "01Jan2025 08:00");
    EXPECT_FALSE(p.AutoStartEnable()->isChecked());
    EXPECT_EQ(p.LabelSN()->text(), "Serial No. 20871 ");
    EXPECT_EQ(p.LabelVer()->text(), "Version 1.28");
    EXPECT_TRUE(rig.state.TagNumberChanged);
    EXPECT_TRUE(p.GetConfig()->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    rig.window->ViewMainExecute();
    rig.window->ViewConfigExecute();
    rig.settle();
    EXPECT_EQ(rig.sent(), QByteArray());
    EXPECT_TRUE(rig.dialogs.messages.isEmpty()) << rig.dialogs.messages.join('|').toStdString();
    EXPECT_TRUE(rig.dialogs.errors.isEmpty()) << rig.dialogs.errors.join('|').toStdString();
}

TEST(ConfigE2E, ASilentInstrumentIsAskedOnce)
{
    ReadRig rig({"--silent"});
    ASSERT_TRUE(rig.sim->ready());
    EXPECT_EQ(readFile(rig.log), QByteArray("v 144\rlogperiod\r"));
    EXPECT_TRUE(rig.p().GetConfig()->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(rig.status(),
              "The instrument did not answer: the configuration has not been loaded.");
}

TEST(ConfigE2E, WriteSendsTheWholePageInItsOrder)
{
    ReadRig rig;
    ConfigPage& p = rig.p();
    p.LogPeriodSecEdit()->setText("30");
    p.LogPeriodMinEdit()->setText("01");
    p.SetConfigClick();
    // The tag list came back with tags 1, 2, 3, 4 and 9: the tag moves off 3.
    EXPECT_EQ(rig.sent(),
              QByteArray("v 157\rv 144 \rtime \rdate \rlogperiod 90\rtags \rtag 0 on\r"
                         "displayavg 10\runits 2\ranalogout 3\rflowrate  1.70\rrhcorrect on\r"
                         "backlight on\ralarm 1\ralarm 2\ralarm 0\rinlet 0\rsite 1 0  \r"
                         "site 1 \"Factory default\" 1.\rtime \rdate \r"
                         "autostart 00 08 01 1 25 off\r"));
    EXPECT_EQ(rig.dialogs.messages,
              QStringList{"Tag number 03 contains data. \r \r Defauting to next available Tag "
                          "number: 0"});
    EXPECT_EQ(p.TagNumberEdit()->text(), "00");
    EXPECT_EQ(p.AutoStartYear()->text(), "2025");
    EXPECT_EQ(p.LogPeriodMinEdit()->text() + p.LogPeriodSecEdit()->text(), "0130");
    EXPECT_EQ(rig.status(), "Configuration has been set.");
    EXPECT_FALSE(rig.state.TagNumberChanged);
    EXPECT_TRUE(p.SetConfig()->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // Untouched since the write: case A asks for the instrument's own tag.
    rig.dialogs.messages.clear();
    p.SetConfigClick();
    const QByteArray again = rig.sent();
    EXPECT_TRUE(again.contains("logperiod 90\rtag \rtag 0 on\rdisplayavg")) << again.constData();
    EXPECT_TRUE(rig.dialogs.messages.isEmpty());
}

TEST(ConfigE2E, RunModeRefusesTheWrite)
{
    ReadRig rig({"--running"});
    rig.p().SetConfigClick();
    EXPECT_EQ(rig.sent(), QByteArray("v 157\r"));
    EXPECT_EQ(rig.dialogs.messages,
              QStringList{"Configuration can not be changed while in run mode."});
    EXPECT_TRUE(rig.p().SetConfig()->isEnabled());
}

TEST(ConfigE2E, TagNumberMovesToTheNextFreeTag)
{
    {
        ReadRig rig({"--no-tags", "--tag", "0:1", "--tag", "1:1", "--tag", "2:1", "--tag", "4:1"});
        rig.p().TagNumberEdit()->setText("01");
        rig.p().SetConfigClick();
        EXPECT_TRUE(rig.sent().contains("\rtags \rtag 3 on\rdisplayavg"));
        EXPECT_EQ(rig.dialogs.messages,
                  QStringList{"Tag number 01 contains data. \r \r Defauting to next available Tag "
                              "number: 3"});
        EXPECT_EQ(rig.p().TagNumberEdit()->text(), "03");
    }
    {
        ReadRig rig({"--no-tags"});
        rig.p().SetConfigClick();
        EXPECT_TRUE(rig.sent().contains("\rtags \rtag 03 on\rdisplayavg"));
        EXPECT_TRUE(rig.dialogs.messages.isEmpty());
    }
}

TEST(ConfigE2E, OlderFirmwareHasNoStelAlarmAndNoAutoStartYear)
{
    ReadRig rig({"--firmware", "1.26"});
    ConfigPage& p = rig.p();
    EXPECT_FALSE(p.Alarm128()->isHidden());
    EXPECT_TRUE(p.AutoStartYear()->isHidden());
    p.RadioGroupAlarm()->button(2)->click();
    p.ConcAlarmLevelEdit()->setText(loc("1.5"));
    rig.dialogs.messages.clear();
    p.SetConfigClick();
    const QByteArray sent = rig.sent();
    EXPECT_TRUE(sent.contains("\rbacklight on\ralarm on     1.500\rinlet 0\r")) << sent.constData();
    EXPECT_TRUE(sent.endsWith("\rautostart 00 08 01 1 off\r")) << sent.constData();
    EXPECT_EQ(p.StelAlarmLevelEdit()->text(), loc("0.000"));
    EXPECT_TRUE(rig.dialogs.messages.contains(
        "STEL alarm provision is available with an upgrade to the Nesmo-7 firmware"));
    EXPECT_EQ(p.RadioGroupAlarm()->itemIndex(), 1);  // as the instrument answered
}

TEST(ConfigE2E, ClockChoicesAndTheSiteFactor)
{
    ReadRig rig;
    ConfigPage& p = rig.p();
    p.ClockChangeChoice()->button(1)->click();  // the test's computer: 14:05:09, 3 March 2024
    p.Edit2()->setText("3");
    p.Edit_CF()->click();
    p.CalFactorEdit()->setText(loc("1.18"));
    rig.sent();
    p.SetConfigClick();
    const QByteArray sent = rig.sent();
    EXPECT_TRUE(sent.startsWith("v 157\rv 144 \rlogperiod 60\r")) << sent.constData();
    EXPECT_TRUE(sent.contains("\rinlet 0\rsite 3 0   1.180\rtime 9 5 14\rdate 3 3 2024\rautostart"))
        << sent.constData();
    EXPECT_FALSE(p.Edit_CF()->isChecked());
    EXPECT_FALSE(p.CalFactorEdit()->isEnabled());
    EXPECT_EQ(p.CalFactorEdit()->text(), loc("1.180"));  // the instrument's answer

    // A manual clock that cannot be, answered with No: the instrument's clock is kept.
    p.ClockChangeChoice()->button(2)->click();
    p.DateDayEdit()->setText("30");
    p.DateMonthEdit()->setCurrentIndex(1);
    rig.dialogs.yesNoAnswer = false;
    p.SetConfigClick();
    const QByteArray manual = rig.sent();
    EXPECT_TRUE(manual.contains("\rsite 3 0  \rtime \rdate \rtime \rdate \rautostart"))
        << manual.constData();
    EXPECT_EQ(p.ClockChangeChoice()->itemIndex(), 0);
    // Accepted as typed.
    p.ClockChangeChoice()->button(2)->click();
    p.DateDayEdit()->setText("29");
    p.DateMonthEdit()->setCurrentIndex(1);
    p.DateYearEdit()->setText("2024");
    p.TimeHourEdit()->setText("7");
    p.TimeMinEdit()->setText("05");
    p.TimeSecEdit()->setText("09");
    p.SetConfigClick();
    const QByteArray typed = rig.sent();
    EXPECT_TRUE(typed.contains("\rtime 09 05 7\rdate 29 2 2024\r")) << typed.constData();
}

TEST(ConfigE2E, DelayedAutoStart)
{
    ReadRig rig;
    ConfigPage& p = rig.p();
    p.AutoStartEnable()->setChecked(true);
    // As a read leaves them: normalised to two digits.
    p.AutoStartDay()->setText("01");
    p.AutoStartMonth()->setCurrentIndex(6);
    p.AutoStartHour()->setText("08");
    p.AutoStartMin()->setText("30");
    p.SetConfigClick();
    const QByteArray sent = rig.sent();
    EXPECT_TRUE(sent.endsWith("\rautostart 30 08 01 7 25 on\r")) << sent.constData();
    EXPECT_EQ(rig.dialogs.messages.last(),
              "A delayed auto-start has been configured. \r Turning off the instrument will cancel "
              "Auto Start.");
    EXPECT_EQ(rig.status(),
              "Instrument must remain powered in standby for Auto Start. Configuration has been "
              "set.");
    EXPECT_EQ(p.AutoStartYear()->text(), "2025");
}

TEST(ConfigE2E, NothingIsSentWhileAListItSendsHasNoChoice)
{
    PageRig rig(true, {});
    rig.show();
    rig.sent();
    rig.page()->ClockChangeChoice()->setItemIndex(2);
    rig.page()->SetConfigClick();
    EXPECT_EQ(rig.sent(), QByteArray());
    ASSERT_EQ(rig.dialogs.messages.size(), 1);
    EXPECT_TRUE(rig.dialogs.messages[0].contains(
        "nothing is chosen in Units, Inlet Type, the month of the instrument's date."))
        << rig.dialogs.messages[0].toStdString();

    // The auto-start month is needed only for an auto-start that is on.
    rig.page()->AutoStartEnable()->setChecked(true);
    rig.page()->SetConfigClick();
    EXPECT_EQ(rig.sent(), QByteArray());
    ASSERT_EQ(rig.dialogs.messages.size(), 2);
    EXPECT_TRUE(rig.dialogs.messages[1].contains("Inlet Type, Auto Start month, the month"))
        << rig.dialogs.messages[1].toStdString();

    // Units the list cannot show: reading again would not help, and the refusal says so.
    rig.reply("UNITS 3\r\n");
    rig.page()->SetConfigClick();
    EXPECT_EQ(rig.sent(), QByteArray());
    ASSERT_EQ(rig.dialogs.messages.size(), 3);
    EXPECT_TRUE(rig.dialogs.messages[2].contains("reports units number 3, which this page cannot"))
        << rig.dialogs.messages[2].toStdString();
}

TEST(ConfigE2E, AConversionErrorStopsTheWriteButFreesItsButton)
{
    ReadRig rig;
    ConfigPage& p = rig.p();
    p.FlowRateEdit()->setText("1;7");
    p.SetConfig()->click();
    EXPECT_EQ(rig.dialogs.errors, QStringList{"'1;7' is not a valid floating point value"});
    EXPECT_TRUE(rig.sent().endsWith("\ranalogout 3\r"));  // stopped before the flow rate
    EXPECT_TRUE(p.SetConfig()->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(ConfigE2E, ALostLinkStopsTheReadAndFreesItsButton)
{
    // The link is lost after the date of the second read: nothing more is asked,
    // and the status says the page is only partly loaded.
    ReadRig rig({"--drop-after", "40"});
    ConfigPage& p = rig.p();
    p.GetConfig()->click();
    const QByteArray sent = rig.sent();
    EXPECT_FALSE(sent.contains("v 141")) << sent.constData();
    EXPECT_TRUE(rig.status().startsWith("The instrument stopped answering"))
        << rig.status().toStdString();
    EXPECT_TRUE(p.GetConfig()->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(ConfigE2E, AnInstrumentThatStopsAnsweringEndsTheWriteAtTheSecondSilence)
{
    ReadRig rig;
    rig.state.ReplyTimeoutTicks = 2;  // keep the test short
    // The instrument hangs: what is sent waits in the line until it wakes again.
    ::kill(pid_t(rig.sim->process().processId()), SIGSTOP);
    rig.p().SetConfigClick();
    ::kill(pid_t(rig.sim->process().processId()), SIGCONT);
    waitUntil([&] { return readFile(rig.log).endsWith("v 144 \r"); });
    EXPECT_EQ(rig.sent(), QByteArray("v 157\rv 144 \r"));
    EXPECT_EQ(rig.status(),
              "The instrument does not answer: the configuration was not sent "
              "whole, and the instrument may not match the page.");
    EXPECT_TRUE(rig.p().SetConfig()->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(ConfigE2E, WhatIsWrittenReadsBack)
{
    ReadRig rig;
    ConfigPage& p = rig.p();
    p.LogPeriodMinEdit()->setText("2");
    p.LogPeriodSecEdit()->setText("15");
    p.LoggingEnable()->setChecked(false);
    p.TagNumberEdit()->setText("7");
    p.DisplayAvgEdit()->setText("30");
    PageRig::choose(p.UnitsBox(), 0);
    PageRig::choose(p.AnalogRange(0), 5);
    PageRig::choose(p.InletTypeBox(), 1);
    p.FlowRateEdit()->setText(loc("2.00"));
    p.RHCorrectionBox()->setChecked(false);
    p.BacklightEnable()->setChecked(false);
    p.RadioGroupAlarm()->button(1)->click();
    p.ConcAlarmLevelEdit()->setText(loc("2.5"));
    p.Edit2()->setText("3");
    p.AutoStartEnable()->setChecked(true);
    p.AutoStartDay()->setText("1");
    p.AutoStartMonth()->setCurrentIndex(6);
    p.AutoStartHour()->setText("8");
    p.AutoStartMin()->setText("30");
    p.SetConfigClick();
    ASSERT_EQ(rig.status(),
              "Instrument must remain powered in standby for Auto Start. Configuration has been "
              "set.");

    rig.open();  // a new start of the program reads it all back
    rig.show();
    rig.window->ViewConfigExecute();
    rig.settle();
    ConfigPage& q = *rig.page();
    EXPECT_EQ(q.statusText(), "Configuration has been loaded from instrument.");
    EXPECT_EQ(
        q.LogPeriodHourEdit()->text() + q.LogPeriodMinEdit()->text() + q.LogPeriodSecEdit()->text(),
        "000215");
    EXPECT_EQ(q.TagNumberEdit()->text(), "07");
    EXPECT_FALSE(q.LoggingEnable()->isChecked());
    EXPECT_EQ(q.DisplayAvgEdit()->text(), "30");
    EXPECT_EQ(q.UnitsBox()->currentIndex(), 0);
    EXPECT_FALSE(q.AnalogRange(0)->isHidden());
    EXPECT_EQ(q.AnalogRange(0)->currentIndex(), 5);
    EXPECT_EQ(q.InletTypeBox()->currentText(), "RED CYCLONE");
    EXPECT_EQ(q.FlowRateEdit()->text(), loc("2.00"));
    EXPECT_FALSE(q.CutPointEdit()->isHidden());
    EXPECT_FALSE(q.RHCorrectionBox()->isChecked());
    EXPECT_FALSE(q.BacklightEnable()->isChecked());
    EXPECT_EQ(q.RadioGroupAlarm()->itemIndex(), 1);
    EXPECT_EQ(q.ConcAlarmLevelEdit()->text(), loc("2.500"));
    EXPECT_EQ(q.Edit2()->text(), "3");
    EXPECT_EQ(q.Label25()->text(), "Grinding shop");
    EXPECT_TRUE(q.AutoStartEnable()->isChecked());
    EXPECT_EQ(q.AutoStartDay()->text() + q.AutoStartMonth()->currentText() +
                  q.AutoStartYear()->text() + " " + q.AutoStartHour()->text() + ":" +
                  q.AutoStartMin()->text(),
              "01Jul2025 08:30");
}

}  // namespace
}  // namespace nesmo::test
