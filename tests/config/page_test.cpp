#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QPlainTextEdit>
#include <QTest>

#include "config/page_rig.h"
#include "core/conversion.h"
#include "panel/panel_window.h"

namespace nesmo::test {
namespace {

struct ConfigPageTest : ::testing::Test {
    ConfigPageTest() { rig.show(); }
    ConfigPage& p() { return *rig.page(); }
    PageRig rig;
};

TEST_F(ConfigPageTest, ControlsStartAsTheOperatorFirstSeesThem)
{
    EXPECT_TRUE(p().LoggingEnable()->isChecked());
    EXPECT_EQ(p().LoggingEnable()->text(), "Enable Data Logging;  Period [hh:mm:ss]:");
    EXPECT_EQ(p().AutoStartEnable()->text(), "Enable Auto Start;  [d-m-y h:m:n]:");
    EXPECT_EQ(p().LogPeriodHourEdit()->text(), "00");
    EXPECT_EQ(p().AutoStartYear()->text(), "0000");
    EXPECT_EQ(p().DisplayAvgEdit()->text(), "10");
    EXPECT_EQ(p().FlowRateEdit()->text(), loc("1.20"));
    EXPECT_EQ(p().CutPointEdit()->text(), loc("2.5"));
    EXPECT_EQ(p().Edit2()->text(), "10");
    EXPECT_EQ(p().CalFactorEdit()->text(), loc("1.00"));
    EXPECT_FALSE(p().CalFactorEdit()->isEnabled());
    EXPECT_EQ(p().ConcAlarmLevelEdit()->text(), "0");
    EXPECT_EQ(p().StelAlarmLevelEdit()->text(), "0");
    for (QComboBox* box :
         {p().UnitsBox(), p().InletTypeBox(), p().AutoStartMonth(), p().DateMonthEdit()})
        EXPECT_EQ(box->currentIndex(), -1) << box->objectName().toStdString();
    EXPECT_EQ(p().AnalogRange(1)->itemText(5), "100000/Mm ");
    EXPECT_EQ(p().AnalogRange(2)->itemText(0), "    500 km");
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(p().AnalogRange(i)->isHidden(), i != 2) << i;
    EXPECT_TRUE(p().CutPointEdit()->isHidden());
    EXPECT_TRUE(p().LabelCutPoint()->isHidden());
    EXPECT_TRUE(p().Alarm128()->isHidden());
    EXPECT_EQ(p().RadioGroupAlarm()->itemIndex(), 0);
    EXPECT_EQ(p().ClockChangeChoice()->itemIndex(), 0);
    EXPECT_EQ(p().ClockChangeChoice()->button(1)->text(), "&Load the computer's time and date");
    EXPECT_EQ(p().GetConfig()->text(), "&Get current configuration");
    EXPECT_TRUE(unreadableControls(&p()).isEmpty())
        << unreadableControls(&p()).join('\n').toStdString();
}

TEST_F(ConfigPageTest, NumericFieldsFilterKeysAndNormaliseOnLeaving)
{
    QLineEdit* avg = p().DisplayAvgEdit();
    avg->setFocus();
    QTest::keyClicks(avg, "a");
    EXPECT_EQ(avg->text(), "10");
    QTest::keyClicks(avg, "5x-.,");
    EXPECT_EQ(avg->text(), "105-.,");
    QTest::keyClick(avg, Qt::Key_Backspace);
    EXPECT_EQ(avg->text(), "105-.");

    avg->setText("010");
    p().LogPeriodSecEdit()->setFocus();
    rig.settle();
    EXPECT_EQ(avg->text(), "10");
    EXPECT_EQ(p().statusText(), "Configuration edit has not been saved to instrument");

    // An empty field: the message, the text kept and the focus given back.
    avg->setFocus();
    avg->clear();
    rig.dialogs.messages.clear();
    p().LogPeriodMinEdit()->setFocus();
    rig.settle();
    EXPECT_EQ(rig.dialogs.messages, QStringList{"This Field can't be left blank"});
    EXPECT_EQ(avg->text(), "");
    EXPECT_TRUE(avg->hasFocus());
    // Not a number, but not empty: the focus comes back without a message.
    avg->setText("1-2");
    p().LogPeriodMinEdit()->setFocus();
    rig.settle();
    EXPECT_EQ(rig.dialogs.messages.size(), 1);
    EXPECT_TRUE(avg->hasFocus());
    avg->setText("7");

    // Enter rewrites the field and keeps the focus there.
    QLineEdit* min = p().LogPeriodMinEdit();
    min->setFocus();
    rig.settle();
    min->setText("05");
    QTest::keyClick(min, Qt::Key_Return);
    EXPECT_EQ(min->text(), "5");
    EXPECT_TRUE(min->hasFocus());
    EXPECT_TRUE(rig.dialogs.errors.isEmpty()) << rig.dialogs.errors.join('|').toStdString();
}

TEST_F(ConfigPageTest, UnitsShowTheirRangeListAndCaptionTheAlarms)
{
    PageRig::choose(p().UnitsBox(), 0);
    EXPECT_FALSE(p().AnalogRange(0)->isHidden());
    EXPECT_EQ(p().AnalogRange(0)->currentIndex(), 0);
    PageRig::choose(p().AnalogRange(0), 4);
    PageRig::choose(p().UnitsBox(), 0);  // the units already shown
    EXPECT_EQ(p().AnalogRange(0)->currentIndex(), 4);

    PageRig::choose(p().UnitsBox(), 1);
    EXPECT_TRUE(p().AnalogRange(0)->isHidden());
    EXPECT_FALSE(p().AnalogRange(1)->isHidden());
    EXPECT_EQ(p().AnalogRange(1)->currentText(), "DISABLED");
    EXPECT_EQ(p().RadioGroupAlarm()->button(1)->text(), "Instant [ /km ]");
    EXPECT_EQ(p().RadioGroupAlarm()->button(2)->text(), "STEL [ /km ]");
    PageRig::choose(p().UnitsBox(), 2);
    EXPECT_FALSE(p().AnalogRange(3)->isHidden());
    EXPECT_EQ(p().RadioGroupAlarm()->button(1)->text(), "Instant [mg/m3]");
    EXPECT_EQ(p().statusText(), "Configuration edit has not been saved to instrument");

    // Units 3 fit no item of the list; only the range list shows them.
    rig.reply("UNITS 3\r\n");
    EXPECT_EQ(p().UnitsBox()->currentIndex(), -1);
    EXPECT_FALSE(p().AnalogRange(2)->isHidden());
    EXPECT_TRUE(p().AnalogRange(3)->isHidden());
}

TEST_F(ConfigPageTest, AlarmChoiceEnablesItsLevel)
{
    p().RadioGroupAlarm()->button(1)->click();
    EXPECT_TRUE(p().ConcAlarmLevelEdit()->isEnabled());
    EXPECT_FALSE(p().StelAlarmLevelEdit()->isEnabled());
    p().RadioGroupAlarm()->button(2)->click();
    EXPECT_FALSE(p().ConcAlarmLevelEdit()->isEnabled());
    EXPECT_TRUE(p().StelAlarmLevelEdit()->isEnabled());
    rig.reply("ALARM OFF 1.5\r\n");  // a reply changes it as the operator would
    EXPECT_FALSE(p().ConcAlarmLevelEdit()->isEnabled());
    EXPECT_FALSE(p().StelAlarmLevelEdit()->isEnabled());
}

TEST_F(ConfigPageTest, FocusThatOnlyPassesThroughIsNoEntry)
{
    // The window coming back to the front gives the tag number the focus again.
    p().TagNumberEdit()->setFocus();
    rig.settle();
    rig.state.TagNumberChanged = false;
    QFocusEvent back(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(p().TagNumberEdit(), &back);
    EXPECT_FALSE(rig.state.TagNumberChanged);

    // A blank field refuses its exit and takes the focus back from the cut point.
    PageRig::choose(p().InletTypeBox(), 1);  // RED CYCLONE: the cut point is shown
    QLineEdit* avg = p().DisplayAvgEdit();
    avg->setFocus();
    rig.settle();
    avg->clear();
    p().CutPointEdit()->setFocus();
    rig.settle();
    EXPECT_TRUE(avg->hasFocus());
    EXPECT_FALSE(p().cutPointEntry());
    EXPECT_EQ(rig.dialogs.messages.value(0), "This Field can't be left blank");
}

TEST_F(ConfigPageTest, TagFlagAndCalibrationFactorSwitch)
{
    rig.state.TagNumberChanged = false;
    p().TagNumberEdit()->setFocus();
    rig.settle();
    EXPECT_TRUE(rig.state.TagNumberChanged);
    EXPECT_EQ(p().statusText(), "Edit has not been saved");

    p().Edit_CF()->click();
    EXPECT_TRUE(p().CalFactorEdit()->isEnabled());
    p().Edit_CF()->click();
    EXPECT_FALSE(p().CalFactorEdit()->isEnabled());
}

TEST_F(ConfigPageTest, FlowRateAndCutPointFollowEachOther)
{
    QLineEdit* flow = p().FlowRateEdit();
    QLineEdit* cut = p().CutPointEdit();
    PageRig::choose(p().InletTypeBox(), 1);  // RED CYCLONE
    EXPECT_FALSE(cut->isHidden());
    EXPECT_EQ(flow->text(), loc("1.20"));
    EXPECT_EQ(cut->text(), loc("9.90"));

    // Typing the flow rate moves the cut point with each key.
    flow->setFocus();
    rig.settle();
    flow->selectAll();
    QTest::keyClicks(flow, loc("3.5"));
    EXPECT_EQ(cut->text(), loc("2.92"));
    flow->setText("");  // nothing to compute from: the cut point stays
    EXPECT_EQ(cut->text(), loc("2.92"));

    // The operator enters the cut point with the blue cyclone.
    flow->setText(loc("1.00"));
    PageRig::choose(p().InletTypeBox(), 2);
    EXPECT_EQ(cut->text(), loc("3.99"));
    cut->setFocus();
    rig.settle();
    cut->selectAll();
    QTest::keyClicks(cut, loc("2.5"));
    EXPECT_EQ(flow->text(), loc("1.52"));
    p().DisplayAvgEdit()->setFocus();
    rig.settle();
    EXPECT_EQ(flow->text(), loc("1.52"));
    EXPECT_EQ(cut->text(), loc("2.50"));
    EXPECT_FALSE(p().cutPointEntry());

    // A cut point the red cyclone cannot reach.
    PageRig::choose(p().InletTypeBox(), 1);
    rig.dialogs.messages.clear();
    cut->setFocus();
    rig.settle();
    cut->setText(loc("12.5"));
    p().DisplayAvgEdit()->setFocus();
    rig.settle();
    EXPECT_EQ(rig.dialogs.messages,
              QStringList{loc("Cut Point 12.50 um is not available with the RED CYCLONE")});
    EXPECT_EQ(flow->text(), loc("1.19"));
    EXPECT_EQ(cut->text(), loc("10.00"));

    // Flow rates out of range.
    rig.dialogs.messages.clear();
    for (const auto& [typed, shown] : {std::pair{"4", "3.50"}, std::pair{"0.5", "1.00"}}) {
        flow->setFocus();
        rig.settle();
        flow->setText(loc(typed));
        p().DisplayAvgEdit()->setFocus();
        rig.settle();
        EXPECT_EQ(flow->text(), loc(shown));
    }
    EXPECT_EQ(
        rig.dialogs.messages,
        (QStringList{loc("Flow rate 4 is out of range \r\r Automatically entering 3.50 LPM"),
                     loc("Flow rate 0.5 is out of range \r\r Automatically entering 1.00 LPM")}));

    // TOTAL hides the cut point; the flow rate is still checked.
    flow->setText(loc("5"));
    PageRig::choose(p().InletTypeBox(), 0);
    EXPECT_TRUE(cut->isHidden());
    EXPECT_EQ(flow->text(), loc("3.50"));
    EXPECT_TRUE(rig.dialogs.errors.isEmpty()) << rig.dialogs.errors.join('|').toStdString();

    // Leaving an empty flow rate: the blank-field message, then the conversion error.
    rig.dialogs.messages.clear();
    flow->setFocus();
    rig.settle();
    flow->clear();
    p().DisplayAvgEdit()->setFocus();
    rig.settle();
    EXPECT_EQ(rig.dialogs.messages, QStringList{"This Field can't be left blank"});
    EXPECT_EQ(rig.dialogs.errors.size(), 1);
}

TEST_F(ConfigPageTest, SettingRepliesFillThePage)
{
    rig.reply("LOGPERIOD 3725\r\nDISPLAYAVG 15\r\nFLOWRATE 1.7\r\nCALFACTOR 1.18\r\n");
    EXPECT_EQ(p().LogPeriodHourEdit()->text(), "1");
    EXPECT_EQ(p().LogPeriodMinEdit()->text(), "2");
    EXPECT_EQ(p().LogPeriodSecEdit()->text(), "5");
    EXPECT_EQ(p().DisplayAvgEdit()->text(), "15");
    EXPECT_EQ(p().FlowRateEdit()->text(), loc("1.70"));
    EXPECT_EQ(p().CalFactorEdit()->text(), loc("1.18"));
    // The model keeps the replies' values as written, whatever the page rounds.
    rig.reply("CALFACTOR 1.234\r\nALARM STEL 0.5\r\nAUTOSTART 30 14\r\n");
    EXPECT_EQ(p().CalFactorEdit()->text(), loc("1.23"));
    const InstrumentSettings& m = rig.window->link().model().settings();
    EXPECT_EQ(m.logPeriodSeconds, 3725);
    EXPECT_EQ(m.displayAveragingSeconds, 15);
    EXPECT_EQ(m.flowRateLpm, 1.7);
    EXPECT_EQ(m.calibrationFactor, 1.234);
    EXPECT_EQ(m.alarm, InstrumentSettings::Alarm::Stel);
    EXPECT_EQ(m.alarmLevel, 0.5);
    EXPECT_EQ(m.autoStart.hour, 14);
    EXPECT_FALSE(m.autoStart.day.has_value());
    // 300 hours do not wrap around at 256.
    rig.reply("LOGPERIOD 1080030\r\n");
    EXPECT_EQ(p().LogPeriodHourEdit()->text(), "300");
    EXPECT_EQ(p().LogPeriodSecEdit()->text(), "30");

    rig.reply("AUTOSTART 30 14 2 6 2021 ON\r\n");
    EXPECT_EQ(p().AutoStartMin()->text(), "30");
    EXPECT_EQ(p().AutoStartHour()->text(), "14");
    EXPECT_EQ(p().AutoStartDay()->text(), "2");
    EXPECT_EQ(p().AutoStartMonth()->currentText(), "Jun");
    EXPECT_EQ(p().AutoStartYear()->text(), "2021");
    EXPECT_TRUE(p().AutoStartEnable()->isChecked());
    rig.reply("AUTOSTART 30 14 2 6 2021 OFF\r\n");
    EXPECT_FALSE(p().AutoStartEnable()->isChecked());

    rig.state.TagNumberChanged = false;
    rig.reply("TAG 5 OFF 12 13\r\n");
    EXPECT_EQ(p().TagNumberEdit()->text(), "5");
    EXPECT_FALSE(p().LoggingEnable()->isChecked());
    EXPECT_TRUE(rig.state.TagNumberChanged);

    rig.reply("BACKLIGHT OFF\r\nRHCORRECT ON\r\nINLET 2\r\nTIME 9 5 14\r\n");
    EXPECT_FALSE(p().BacklightEnable()->isChecked());
    EXPECT_TRUE(p().RHCorrectionBox()->isChecked());
    EXPECT_EQ(p().InletTypeBox()->currentText(), "BLUE CYCLONE");
    EXPECT_EQ(p().TimeHourEdit()->text() + ":" + p().TimeMinEdit()->text() + ":" +
                  p().TimeSecEdit()->text(),
              "14:5:9");
    rig.reply("BACKLIGHT ON\r\n");
    EXPECT_TRUE(p().BacklightEnable()->isChecked());
    EXPECT_EQ(p().statusText(), "Configuration edit has not been saved to instrument");
}

TEST_F(ConfigPageTest, UnitsAndRangeReplies)
{
    rig.reply("UNITS 2\r\nANALOGOUT 4\r\n");
    EXPECT_EQ(p().UnitsBox()->currentIndex(), 2);
    EXPECT_FALSE(p().AnalogRange(3)->isHidden());
    EXPECT_EQ(p().AnalogRange(3)->currentIndex(), 4);
    rig.reply("UNITS 2\r\n");  // the same units keep the range
    EXPECT_EQ(p().AnalogRange(3)->currentIndex(), 4);
    rig.reply("UNITS 1\r\n");  // other units start on the first item
    EXPECT_EQ(p().AnalogRange(1)->currentIndex(), 0);
    rig.reply("ANALOGOUT 17\r\n");  // no such item
    EXPECT_EQ(p().AnalogRange(1)->currentIndex(), -1);
}

TEST_F(ConfigPageTest, SiteReplies)
{
    rig.reply("SITE 3 \"Quarry crusher\" 2\r\n");
    EXPECT_EQ(p().Edit2()->text(), "3");
    EXPECT_EQ(p().Label25()->text(), "Quarry crusher");
    EXPECT_EQ(p().CalFactorEdit()->text(), loc("1.000"));  // an integer is no factor
    QPlainTextEdit* list = rig.window->siteListPage()->SiteList();
    EXPECT_TRUE(list->toPlainText().isEmpty());  // no line is created

    QStringList lines;
    for (int i = 1; i <= 50; ++i)
        lines << QStringLiteral("%1 \"Site %1\" 1.000").arg(i);
    list->setPlainText(lines.join('\n') + '\n');
    rig.reply("SITE 3 \"Quarry \xDF\" 2.5\r\n");
    EXPECT_EQ(p().CalFactorEdit()->text(), loc("2.500"));
    const QStringList after = list->toPlainText().split('\n');
    EXPECT_EQ(after.value(2), QString::fromLatin1("3 \"Quarry \xDF\" 2") + loc(".500"));
    EXPECT_EQ(after.value(3), "4 \"Site 4\" 1.000");
    EXPECT_EQ(after.size(), 51);
    rig.reply("SITE 51 \"Far\" 1.0\r\nSITE 0 \"None\"\r\n");
    EXPECT_EQ(list->toPlainText().split('\n').size(), 51);
}

TEST_F(ConfigPageTest, AlarmRepliesAndTheOlderFirmware)
{
    rig.reply("ALARM INSTANT 2.25\r\n");
    EXPECT_EQ(p().RadioGroupAlarm()->itemIndex(), 1);
    EXPECT_EQ(p().ConcAlarmLevelEdit()->text(), loc("2.250"));
    rig.reply("ALARM STEL 0.5\r\n");
    EXPECT_EQ(p().RadioGroupAlarm()->itemIndex(), 2);
    EXPECT_EQ(p().StelAlarmLevelEdit()->text(), loc("0.500"));
    rig.reply("ALARM OFF 1.5\r\n");
    EXPECT_EQ(p().RadioGroupAlarm()->itemIndex(), 0);
    EXPECT_EQ(p().ConcAlarmLevelEdit()->text(), loc("2.250"));
    rig.reply("V 144 \"1.26\"\r\nALARM OFF 1.5\r\n");
    EXPECT_FALSE(p().Alarm128()->isHidden());
    EXPECT_EQ(p().ConcAlarmLevelEdit()->text(), loc("1.500"));
    rig.reply("ALARM ON 3\r\n");  // ON is instant; an integer is no level
    EXPECT_EQ(p().RadioGroupAlarm()->itemIndex(), 1);
    EXPECT_EQ(p().ConcAlarmLevelEdit()->text(), loc("1.500"));
    rig.reply("ALARM TAG 4.5\r\n");  // an unknown mode keeps the selection
    EXPECT_EQ(p().RadioGroupAlarm()->itemIndex(), 1);
    EXPECT_EQ(p().ConcAlarmLevelEdit()->text(), loc("4.500"));
}

TEST_F(ConfigPageTest, DateRepliesAndTheInvalidDate)
{
    rig.reply("DATE 29 2 2024\r\n");
    EXPECT_EQ(p().DateDayEdit()->text(), "29");
    EXPECT_EQ(p().DateMonthEdit()->currentText(), "Feb");
    EXPECT_EQ(p().DateYearEdit()->text(), "2024");
    EXPECT_TRUE(rig.dialogs.messages.isEmpty());

    rig.reply("DATE 31 2 2021\r\n");
    EXPECT_EQ(rig.dialogs.messages,
              QStringList{"Invalid time or date: \n \n Try loading the computer's time and date."});
    EXPECT_EQ(p().ClockChangeChoice()->itemIndex(), 1);
    // The choice loads the computer's clock into the fields.
    EXPECT_EQ(p().DateDayEdit()->text(), "03");
    EXPECT_EQ(p().DateMonthEdit()->currentText(), "Mar");
    EXPECT_EQ(p().DateYearEdit()->text(), "2024");
    EXPECT_EQ(p().TimeHourEdit()->text() + p().TimeMinEdit()->text() + p().TimeSecEdit()->text(),
              "140509");
}

TEST_F(ConfigPageTest, TagListReplies)
{
    QListWidget* tags = rig.window->dataTextPage()->TagListBox();
    rig.reply("TAGS 1 2 4 12\r\n");
    ASSERT_EQ(tags->count(), 4);
    EXPECT_EQ(tags->item(0)->text(), " 1");
    EXPECT_EQ(tags->item(3)->text(), "12");
    rig.reply("TAGS ON 100 0 3000 6 77 88\r\n");  // more numbers than entries
    EXPECT_EQ(tags->count(), 4);
    EXPECT_EQ(tags->item(0)->text(), " 1    100");
    EXPECT_EQ(tags->item(3)->text(), "12      6");
    rig.reply("TAGS\r\n");
    EXPECT_EQ(tags->count(), 0);
}

TEST_F(ConfigPageTest, NormalisingThePage)
{
    rig.reply("LOGPERIOD 90\r\n");
    p().AutoStartYear()->setText("24");
    p().TagNumberEdit()->setText("7");
    p().FormatTime();
    EXPECT_EQ(p().LogPeriodHourEdit()->text() + ":" + p().LogPeriodMinEdit()->text() + ":" +
                  p().LogPeriodSecEdit()->text(),
              "00:01:30");
    EXPECT_EQ(p().AutoStartYear()->text(), "2024");
    EXPECT_EQ(p().TagNumberEdit()->text(), "07");
    EXPECT_EQ(p().FlowRateEdit()->text(), loc("1.20"));
    for (const char* year : {"2024", "1924", "0000"}) {
        p().AutoStartYear()->setText(year);
        p().FormatTime();
        EXPECT_EQ(p().AutoStartYear()->text(), year == QLatin1String("0000") ? "2000" : "2024");
    }
    p().TimeMinEdit()->setText("x");
    EXPECT_THROW(p().FormatTime(), ConversionError);
}

TEST_F(ConfigPageTest, ClockChoiceAndTheChecks)
{
    rig.clock = QDateTime(QDate(2024, 3, 3), QTime(7, 5, 9));
    p().ClockChangeChoice()->button(1)->click();
    EXPECT_EQ(p().DateYearEdit()->text(), "2024");
    EXPECT_EQ(p().DateMonthEdit()->currentText(), "Mar");
    EXPECT_EQ(p().DateDayEdit()->text() + p().TimeHourEdit()->text() + p().TimeMinEdit()->text() +
                  p().TimeSecEdit()->text(),
              "03070509");

    // A manual clock that cannot be: the question, and the answer decides.
    p().ClockChangeChoice()->button(2)->click();
    p().TimeHourEdit()->setText("24");
    rig.dialogs.yesNoAnswer = true;
    p().CheckManualTimeExecute();
    EXPECT_EQ(rig.dialogs.questions.size(), 1);
    EXPECT_EQ(p().ClockChangeChoice()->itemIndex(), 1);
    EXPECT_EQ(p().TimeHourEdit()->text(), "07");

    p().LogPeriodMinEdit()->setText("60");
    p().CheckLogPeriodExecute();
    EXPECT_EQ(p().LogPeriodMinEdit()->text(), "01");
    EXPECT_EQ(rig.dialogs.messages.size(), 1);

    // Auto-start on 31 April.
    rig.dialogs.messages.clear();
    p().AutoStartEnable()->setChecked(true);
    p().AutoStartMonth()->setCurrentIndex(3);
    p().AutoStartDay()->setText("31");
    p().CheckAutoStartTimeExecute();
    EXPECT_EQ(rig.dialogs.messages, QStringList{"An error was detected in the Auto Start Time."});
    EXPECT_FALSE(p().AutoStartEnable()->isChecked());

    // 1000 days after the clock (3 March 2024 07:05:09).
    rig.dialogs.messages.clear();
    p().AutoStartEnable()->setChecked(true);
    p().AutoStartYear()->setText("2026");
    p().AutoStartMonth()->setCurrentIndex(10);
    p().AutoStartDay()->setText("28");
    p().AutoStartHour()->setText("08");
    p().AutoStartMin()->setText("00");
    p().CheckAutoStartTimeExecute();
    EXPECT_EQ(rig.dialogs.messages,
              QStringList{"An error was detected in the Auto Start Time.\r Time entered exceeds "
                          "the limit of 999 days."});
    EXPECT_FALSE(p().AutoStartEnable()->isChecked());

    // Passed: "No" puts it an hour after the clock and switches it off.
    p().AutoStartEnable()->setChecked(true);
    p().AutoStartYear()->setText("2024");
    p().AutoStartMonth()->setCurrentIndex(2);
    p().AutoStartDay()->setText("03");
    p().AutoStartHour()->setText("06");
    rig.dialogs.yesNoAnswer = false;
    p().CheckAutoStartTimeExecute();
    EXPECT_EQ(rig.dialogs.questions.last(),
              "Auto Start time entered has passed. Start instrument now?");
    EXPECT_FALSE(p().AutoStartEnable()->isChecked());
    EXPECT_EQ(p().AutoStartHour()->text() + ":" + p().AutoStartMin()->text(), "08:00");
    // "Yes" starts it in the clock's current minute.
    p().AutoStartEnable()->setChecked(true);
    p().AutoStartHour()->setText("06");
    rig.dialogs.yesNoAnswer = true;
    p().CheckAutoStartTimeExecute();
    EXPECT_TRUE(p().AutoStartEnable()->isChecked());
    EXPECT_EQ(p().AutoStartHour()->text() + ":" + p().AutoStartMin()->text(), "07:05");

    // Two hours ahead: the countdown on the status line.
    p().AutoStartHour()->setText("09");
    p().AutoStartMin()->setText("05");
    p().CheckAutoStartTimeExecute();
    EXPECT_EQ(p().statusText(), "Instrument will auto start in about 1 hr and 59 min");
}

TEST_F(ConfigPageTest, WithoutALinkTheButtonsDoNothing)
{
    rig.window->ViewConfigExecute();  // the first showing would read
    rig.settle();
    EXPECT_TRUE(p().GetConfig()->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    p().SetConfig()->click();
    EXPECT_TRUE(rig.dialogs.messages.isEmpty());
    EXPECT_TRUE(p().statusText().isEmpty());
}

}  // namespace
}  // namespace nesmo::test
