#include <gtest/gtest.h>

#include <QStringList>
#include <cstring>
#include <map>
#include <sstream>
#include <string>

#include "reply/lexer.h"

using namespace nesmo;

namespace {

struct Lexed {
    ReplyQueue queue;
    Lexer lexer{queue};

    explicit Lexed(const std::string& text)
    {
        for (char c : text)
            queue.push(c);
    }
    quint8 next() { return lexer.Advance(); }
    std::string text() const { return lexer.TokenText; }
};

}  // namespace

TEST(ReplyQueue, TakeFromEmptyYieldsZeroAndStaysEmpty)
{
    ReplyQueue q;
    EXPECT_EQ(q.take(), 0);
    EXPECT_EQ(q.size(), 0);
    q.push('\r');
    q.pushFront('a');
    EXPECT_EQ(q.LineCount(), 1u);
    EXPECT_EQ(q.take(), 'a');
    EXPECT_EQ(q.take(), '\r');
    EXPECT_EQ(q.LineCount(), 0u);
}

TEST(ReplyQueue, UnfinishedLineIsCappedButItsCarriageReturnKept)
{
    const qsizetype cap = ReplyQueue::kMaxUnfinishedLine;
    ReplyQueue q;
    q.push('A');
    q.push('\r');
    for (qsizetype i = 0; i < cap + 100; ++i)
        q.push('x');
    EXPECT_EQ(q.size(), 2 + cap);
    // Taking the complete line in front leaves the capped line as full as it was.
    q.take();
    q.take();
    q.push('y');
    EXPECT_EQ(q.size(), cap);
    q.push('\r');
    q.push('z');  // a new line starts counting afresh
    EXPECT_EQ(q.size(), cap + 2);
    EXPECT_EQ(q.LineCount(), 1u);
}

TEST(ReplyQueue, TextPushedAtOnceQueuesAsCharacterByCharacter)
{
    std::string text = "V 141 \"A1\"\r\r" + std::string(ReplyQueue::kMaxUnfinishedLine + 7, 'x');
    text += "\rtail";
    ReplyQueue one, whole;
    one.push('p');
    whole.push('p');
    for (char c : text)
        one.push(c);
    whole.push(text.data(), qsizetype(text.size()));
    ASSERT_EQ(whole.size(), one.size());
    EXPECT_EQ(whole.LineCount(), one.LineCount());
    while (!one.isEmpty())
        ASSERT_EQ(whole.take(), one.take());
    EXPECT_TRUE(whole.isEmpty());
}

TEST(ReplyQueue, DroppingALineIsTakingUpToItsCarriageReturn)
{
    // Lines short and long (past the block the taken front is dropped in), an
    // empty one, and an unfinished tail.
    const std::string text =
        "a\r" + std::string(5000, 'b') + "\r\rc d\r" + std::string(9000, 'e') + "\rtail";
    ReplyQueue dropped, taken;
    dropped.push(text.data(), qsizetype(text.size()));
    taken.push(text.data(), qsizetype(text.size()));
    for (int line = 0; line < 7; ++line) {
        dropped.dropLine();
        while (!taken.isEmpty() && taken.take() != '\r') {
        }
        ASSERT_EQ(dropped.size(), taken.size()) << line;
        ASSERT_EQ(dropped.LineCount(), taken.LineCount()) << line;
        dropped.push('x');
        taken.push('x');
    }
    while (!taken.isEmpty())
        ASSERT_EQ(dropped.take(), taken.take());
    EXPECT_TRUE(dropped.isEmpty());
}

TEST(Lexer, KeywordsIgnoreCaseAndNeedTheWholeWord)
{
    for (const char* on : {"ON", "on", "On", "oN", "done", "Enabled"}) {
        Lexed l(on);
        EXPECT_EQ(l.next(), TokKeyword) << on;
        EXPECT_EQ(l.lexer.TokenValue, 7) << on;
    }
    Lexed l("ONX K1 reset RESETS RESE");
    EXPECT_EQ(l.next(), TokWord);
    EXPECT_EQ(l.lexer.TokenValue, 0);
    EXPECT_EQ(l.text(), "ONX");
    EXPECT_EQ(l.next(), TokKeyword);
    EXPECT_EQ(l.lexer.TokenValue, 21);
    // The alias of code 12 is recognised by its first five letters.
    EXPECT_EQ(l.next(), TokKeyword);
    EXPECT_EQ(l.lexer.TokenValue, 12);
    EXPECT_EQ(l.next(), TokKeyword);
    EXPECT_EQ(l.lexer.TokenValue, 12);
    EXPECT_EQ(l.next(), TokWord);
}

TEST(Lexer, Numbers)
{
    struct Case {
        const char* text;
        quint8 kind;
        double value;
    };
    const Case cases[] = {
        {"12", TokInteger, 12}, {"-3", TokInteger, -3},   {"+5", TokInteger, 5},
        {"1.5", TokReal, 1.5},  {"1.", TokReal, 1.0},     {".5", TokReal, 0.5},
        {"-.5", TokReal, -0.5}, {"1.5E3", TokReal, 1500}, {"2.5e-1", TokReal, 0.25},
        {"+", TokOther, 0},     {"-x", TokOther, 0},      {"1.5E ", TokOther, 0},
        {"1.5E+", TokOther, 0},
    };
    for (const Case& c : cases) {
        Lexed l(std::string(c.text) + "\r");
        ASSERT_EQ(l.next(), c.kind) << c.text;
        if (c.kind == TokInteger) {
            EXPECT_EQ(l.lexer.TokenValue, c.value) << c.text;
        } else if (c.kind == TokReal) {
            EXPECT_FLOAT_EQ(l.lexer.realValue(), float(c.value)) << c.text;
        }
    }
    // Integer digits end at an exponent letter: 1e5 is 1 and the word E5.
    Lexed l("1e5 1.E2,7-8");
    EXPECT_EQ(l.next(), TokInteger);
    EXPECT_EQ(l.next(), TokWord);
    EXPECT_EQ(l.text(), "E5");
    EXPECT_EQ(l.next(), TokReal);
    EXPECT_EQ(l.next(), TokWord);
    EXPECT_EQ(l.next(), TokInteger);
    EXPECT_EQ(l.lexer.TokenValue, 7);
    EXPECT_EQ(l.next(), TokInteger);
    EXPECT_EQ(l.lexer.TokenValue, -8);
}

TEST(Lexer, HuhQuestionMarkIsKeywordThenOther)
{
    Lexed l("HUH?\r");
    EXPECT_EQ(l.next(), TokKeyword);
    EXPECT_EQ(l.lexer.TokenValue, 49);
    EXPECT_EQ(l.next(), TokOther);
    EXPECT_EQ(l.text(), "?");
    EXPECT_EQ(l.next(), TokEnd);
}

TEST(Lexer, CarriageReturnPushedBackKeepsLineCount)
{
    Lexed l("12\r\"abc\r");
    EXPECT_EQ(l.next(), TokInteger);
    EXPECT_EQ(l.queue.LineCount(), 2u);
    EXPECT_EQ(l.next(), TokEnd);
    EXPECT_EQ(l.queue.LineCount(), 1u);
    // An unterminated string leaves its carriage return for the next token.
    EXPECT_EQ(l.next(), TokOther);
    EXPECT_EQ(l.text(), "abc");
    EXPECT_EQ(l.queue.LineCount(), 1u);
    EXPECT_EQ(l.next(), TokEnd);
    EXPECT_EQ(l.queue.LineCount(), 0u);
}

TEST(Lexer, EmptyQueueGivesOtherWithoutInventingACharacter)
{
    for (const char* text : {"", "12", "abc", "\"abc"}) {
        Lexed l(text);
        while (!l.queue.isEmpty())
            l.next();
        EXPECT_EQ(l.next(), TokOther) << text;
        EXPECT_EQ(l.lexer.TokenText[0], 0) << text;
        EXPECT_TRUE(l.queue.isEmpty()) << text;
    }
}

TEST(Lexer, SkipLineAndReadBareWord)
{
    Lexed l("V 1 2 3\r , 09-Jun-2021 more\r");
    l.next();
    l.lexer.SkipLine();
    EXPECT_EQ(l.queue.LineCount(), 1u);
    l.lexer.ReadBareWord();
    EXPECT_EQ(l.text(), "09-Jun-2021");
    EXPECT_EQ(l.lexer.TokenKind, TokKeyword);  // unchanged
    EXPECT_EQ(l.next(), TokWord);
    EXPECT_EQ(l.next(), TokEnd);
    l.lexer.SkipLine();  // after TokEnd nothing more is taken
    EXPECT_EQ(l.queue.size(), 0);
}

TEST(Lexer, OverLongTokensAreCutAt39Characters)
{
    const std::string letters(50, 'Q'), digits(50, '9'), text(60, 's');
    Lexed l(letters + " " + digits + " \"" + text + "\"\r" + text + " end\r");
    EXPECT_EQ(l.next(), TokWord);
    EXPECT_EQ(std::strlen(l.lexer.TokenText), 39u);
    EXPECT_EQ(l.next(), TokWord);  // the rest of the word
    EXPECT_EQ(l.text(), std::string(11, 'Q'));

    EXPECT_EQ(l.next(), TokInteger);
    EXPECT_EQ(std::strlen(l.lexer.TokenText), 39u);
    EXPECT_EQ(l.lexer.TokenValue, 2147483647);  // saturated

    while (l.lexer.TokenKind != TokEnd)
        l.next();
    l.lexer.ReadBareWord();
    EXPECT_EQ(l.text(), std::string(39, 's'));
    EXPECT_EQ(l.next(), TokWord);
    EXPECT_EQ(l.text(), "END");
}

TEST(Lexer, OverLongStringIsOtherWithItsFirst39Characters)
{
    Lexed l("\"" + std::string(60, 's') + "\"\r");
    EXPECT_EQ(l.next(), TokOther);
    EXPECT_EQ(l.text(), std::string(39, 's'));
}

TEST(KeywordTable, RowsInOrderWithTheirCodes)
{
    const char* order =
        "V HELP H NVRAM NVROM SET GET SWITCHES SW TEST T ON ENABLE ENABLED OFF DISABLE DISABLED "
        "QUERY Q XDATA IDATA NXW K1 K2 MINBG MAXBG AUTO AUTOMATIC A GAIN G ONOFF EXIT NEXT LEFT "
        "RIGHT UP DOWN PLUS MINUS ENTER TECH FLOWRATE DISPLAYAVG KEY CALFACTOR BATTERY BACKLIGHT "
        "ENABLED DISABLED UNITS SITE RHCORRECT SIZECORRECT HUH LOGPERIOD AUTOSTART TAG TAGS "
        "ANALOGOUT ALARM INSTANT STEL AUTOZERO TIME DATE TEMPUNITS SERIALNUMBER SIZES INLET HUH? "
        "DONE";
    std::string rows;
    int count = 0;
    for (const KeywordRow* r = KeywordTable; r->text; ++r, ++count) {
        if (count) rows += ' ';
        rows += r->text;
    }
    EXPECT_EQ(count, 72);
    EXPECT_EQ(rows, order);
    EXPECT_EQ(KeywordTable[72].code, 0);

    // Every row's code, grouped by code; a word standing twice has one code.
    const QString byCode = QStringLiteral(
        "1 HELP H|"
        "2 V|"
        "3 TEST T|"
        "4 NVRAM|"
        "6 NVROM|"
        "7 ON ENABLE ENABLED DONE|"
        "8 OFF DISABLE DISABLED|"
        "9 SET|"
        "10 GET|"
        "11 SWITCHES SW|"
        "13 QUERY Q|"
        "14 XDATA|"
        "15 IDATA|"
        "16 NXW|"
        "20 SERIALNUMBER|"
        "21 K1|"
        "22 K2|"
        "23 MINBG|"
        "24 MAXBG|"
        "27 GAIN G|"
        "28 AUTO AUTOMATIC A|"
        "29 ONOFF|"
        "30 EXIT|"
        "31 NEXT|"
        "32 LEFT|"
        "33 RIGHT|"
        "34 UP|"
        "35 DOWN|"
        "36 PLUS|"
        "37 MINUS|"
        "38 ENTER|"
        "39 TECH|"
        "40 FLOWRATE|"
        "41 DISPLAYAVG|"
        "42 KEY|"
        "43 CALFACTOR|"
        "44 BATTERY|"
        "45 BACKLIGHT|"
        "46 UNITS|"
        "47 RHCORRECT|"
        "48 SIZECORRECT|"
        "49 HUH HUH?|"
        "50 LOGPERIOD|"
        "51 AUTOSTART|"
        "52 SITE|"
        "53 TAG|"
        "54 TAGS|"
        "55 ANALOGOUT|"
        "56 ALARM|"
        "58 INSTANT|"
        "59 STEL|"
        "60 AUTOZERO|"
        "61 TIME|"
        "62 DATE|"
        "63 TEMPUNITS|"
        "64 SIZES|"
        "65 INLET|");
    std::map<std::string, int> expected;
    for (const QString& group : byCode.split('|', Qt::SkipEmptyParts)) {
        const QStringList words = group.split(' ');
        for (qsizetype i = 1; i < words.size(); ++i)
            expected[words[i].toStdString()] = words[0].toInt();
    }
    ASSERT_EQ(expected.size(), 70u);  // 72 rows, two of them repeated
    for (const KeywordRow* r = KeywordTable; r->text; ++r)
        EXPECT_EQ(r->code, expected.at(r->text)) << r->text;
}
