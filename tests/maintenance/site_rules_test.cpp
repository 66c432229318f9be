// The site list's rules for what goes to the instrument and into files, and the
// instrument panel's keys.
#include <gtest/gtest.h>

#include <Qt>

#include "maintenance/site_rules.h"
#include "panel/panel_keys.h"

namespace nesmo::sites {
namespace {

TEST(SiteRules, WhatASetSendsOfALine)
{
    const struct {
        QByteArray line;
        QByteArray command;
    } cases[] = {
        {"", "site  \r"},  // an empty line is sent too
        {"3 \"Quarry\" 1.250", "site  3 \"Quarry\" 1.250\r"},
        {"3 \"Quarry, north\" 1,250", "site  3 \"Quarry. north\" 1.250\r"},  // commas
        // Of 32 bytes only the first 31 go out: the factor loses its last digit.
        {"12 \"Twenty-one characters\" 1.500", "site  12 \"Twenty-one characters\" 1.50\r"},
        // A control byte would end the command early and start another.
        {"4 \"Kiln\"\r5 \"x\"\t 1.000", "site  4 \"Kiln\"5 \"x\" 1.000\r"},
        {QByteArray("7 \"Stra\xDF"
                    "e\" 1.000"),
         QByteArray("site  7 \"Stra\xDF"
                    "e\" 1.000\r")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(siteDefinitionCommand(c.line), c.command) << c.line.constData();
    EXPECT_EQ(sentText(QByteArray(40, 'x')).size(), kMaxSentBytes);
}

TEST(SiteRules, FiftyLinesAreSentAndLongOnesAreNamed)
{
    QList<QByteArray> few = {"1 \"Factory default\" 1.000", "2 \"Site 2\" 1.000"};
    const QList<QByteArray> padded = linesToSend(few);
    ASSERT_EQ(padded.size(), kSiteCount);
    EXPECT_EQ(padded[1], few[1]);
    EXPECT_TRUE(padded[49].isEmpty());

    QList<QByteArray> many;
    for (int i = 1; i <= 60; ++i)
        many << QByteArray::number(i) + " \"Site\" 1.000";
    many[9] = "10 \"Twenty-one characters\" 1.500";          // 32 bytes: the factor loses its 0
    many[19] = "20 \"" + QByteArray(26, 'n') + "\"";         // exactly 31 bytes
    many[20] = QByteArray("21 \"Hall\"\r\r\r\r\r\r 1.000");  // long only with its control bytes
    many[55] = QByteArray(40, 'x');                          // never sent
    EXPECT_EQ(linesToSend(many).size(), kSiteCount);
    EXPECT_EQ(sitesThatLoseCharacters(many), QList<int>{10});
}

TEST(SiteRules, FileLinesAndBytes)
{
    EXPECT_EQ(fileLines("a\r\nb\rc\nd"), (QList<QByteArray>{"a", "b", "c", "d"}));
    EXPECT_EQ(fileLines("a\r\n\r\nb\r\n"), (QList<QByteArray>{"a", "", "b"}));
    EXPECT_EQ(fileLines("\n"), QList<QByteArray>{""});
    EXPECT_TRUE(fileLines("").isEmpty());
    const QList<QByteArray> lines = {"1 \"Factory default\" 1.000", "", "3 \"\xDF\" 2,5"};
    EXPECT_EQ(fileBytes(lines),
              QByteArray("1 \"Factory default\" 1.000\r\n\r\n3 \"\xDF\" 2,5\r\n"));
    EXPECT_EQ(fileLines(fileBytes(lines)), lines);  // a round trip adds and loses no line
}

}  // namespace
}  // namespace nesmo::sites

namespace nesmo::panel {
namespace {

TEST(PanelKeys, KeyboardKeysAndTheirCommands)
{
    const struct {
        int qtKey;
        Key key;
    } keys[] = {{Qt::Key_Return, Key::Enter}, {Qt::Key_Enter, Key::Enter}, {Qt::Key_P, Key::Enter},
                {Qt::Key_Escape, Key::Esc},   {Qt::Key_U, Key::Esc},       {Qt::Key_Up, Key::Up},
                {Qt::Key_I, Key::Up},         {Qt::Key_Down, Key::Down},   {Qt::Key_O, Key::Down},
                {Qt::Key_Y, Key::OnOff},      {Qt::Key_Space, Key::None},  {Qt::Key_E, Key::None},
                {Qt::Key_Left, Key::None}};
    for (const auto& k : keys)
        EXPECT_EQ(keyFor(k.qtKey), k.key) << k.qtKey;
    EXPECT_EQ(commandsFor(Key::Enter), (QList<QByteArray>{"key ENTER\r", "tag \r"}));
    EXPECT_EQ(commandsFor(Key::Esc), QList<QByteArray>{"key ESC\r"});
    EXPECT_EQ(commandsFor(Key::Up), QList<QByteArray>{"key UP\r"});
    EXPECT_EQ(commandsFor(Key::Down), QList<QByteArray>{"key DOWN\r"});
    EXPECT_EQ(commandsFor(Key::OnOff), QList<QByteArray>{"key ONOFF\r"});
    EXPECT_TRUE(commandsFor(Key::None).isEmpty());
}

}  // namespace
}  // namespace nesmo::panel
