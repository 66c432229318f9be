// How the simulator reads what the program sends: commands, words, options.
#include <gtest/gtest.h>

#include "sim/command_text.h"
#include "sim/sim_options.h"

namespace nesmo::sim {
namespace {

TEST(CommandAssembler, SplitsAtCarriageReturnsAcrossChunksAndDropsLineFeeds)
{
    CommandAssembler a;
    EXPECT_TRUE(a.feed("\nv 1").isEmpty());
    EXPECT_EQ(a.feed("44\r\n"), QList<QByteArray>{"v 144"});
    // The firmware upgrade sends several commands in one text.
    EXPECT_EQ(a.feed("key esc\r v 157\r key enter\r v 157\r"),
              (QList<QByteArray>{"key esc", " v 157", " key enter", " v 157"}));
    EXPECT_EQ(a.feed("site 3\r\r"), (QList<QByteArray>{"site 3", ""}));
    EXPECT_EQ(a.feed("ta\ng\r"), QList<QByteArray>{"tag"});

    // An endless line is cut, and the next command is whole again.
    EXPECT_EQ(a.feed(QByteArray(1000, 'x') + "\r").first().size(),
              CommandAssembler::kMaxCommandLength);
    EXPECT_EQ(a.feed("d\r"), QList<QByteArray>{"d"});
}

TEST(SplitWords, BlanksQuotesAndNumbers)
{
    const QList<Word> w = splitWords("  site  12 \"Weld bay 3\"\t1.250 ");
    ASSERT_EQ(w.size(), 4);
    EXPECT_EQ(w[0].upper(), "SITE");
    EXPECT_TRUE(w[1].isInt());
    EXPECT_EQ(w[1].toInt(), 12);
    EXPECT_TRUE(w[2].quoted);
    EXPECT_EQ(w[2].text, "Weld bay 3");
    EXPECT_FALSE(w[2].isReal());
    EXPECT_TRUE(w[3].isReal());
    EXPECT_DOUBLE_EQ(w[3].toReal(), 1.25);

    // Quoted halves may be empty or touch each other; an open quote runs to the end.
    const QList<Word> v = splitWords("v 251 \"\"\":0A\" \"open ended");
    ASSERT_EQ(v.size(), 5);
    EXPECT_EQ(v[2].text, "");
    EXPECT_EQ(v[3].text, ":0A");
    EXPECT_EQ(v[4].text, "open ended");
    EXPECT_TRUE(splitWords(" \t ").isEmpty());
    EXPECT_TRUE(splitWords("08")[0].isInt());  // leading zeros are decimal
    EXPECT_EQ(splitWords("08")[0].toInt(), 8);
    EXPECT_FALSE(splitWords("1.5")[0].isInt());
}

ParseOutcome parse(QStringList args, SimOptions& o, QString& message)
{
    args.prepend("nesmo7-sim");
    return parseOptions(args, o, message);
}

TEST(SimOptions, ReadsTransportsTagsAndMisbehaviour)
{
    SimOptions o;
    QString message;
    ASSERT_EQ(parse({"--pty",
                     "/tmp/x",
                     "--tcp",
                     "0",
                     "--device",
                     "3",
                     "--firmware",
                     "1.26",
                     "--tag",
                     "12:7:5",
                     "--tag",
                     "1:65535",
                     "--tricky-tag",
                     "30:5",
                     "--chunk",
                     "16",
                     "--pace",
                     "--drop-after",
                     "4",
                     "--cut-dump",
                     "--no-prompt",
                     "--clock",
                     "2024-03-03 07:05:09",
                     "--log",
                     "/tmp/log",
                     "--integrity",
                     "after:3",
                     "--sticky-run",
                     "--reformat-never"},
                    o, message),
              ParseOutcome::Run)
        << message.toStdString();
    EXPECT_EQ(o.ptyPath, "/tmp/x");
    EXPECT_EQ(o.tcpPort, 0);
    EXPECT_EQ(o.instrument.device, 3);
    EXPECT_EQ(o.instrument.firmware, "1.26");
    ASSERT_EQ(o.instrument.tags.size(), 2);
    EXPECT_EQ(o.instrument.tags[0].periodSeconds, 5);
    EXPECT_EQ(o.instrument.tags[1].count, 65535);
    EXPECT_EQ(o.instrument.tags[1].periodSeconds, 60);
    EXPECT_EQ(o.instrument.trickyTags[0].number, 30);
    EXPECT_EQ(o.shape.chunk, 16);
    EXPECT_TRUE(o.shape.pace);
    EXPECT_EQ(o.dropAfter, 4);
    EXPECT_TRUE(o.instrument.cutDump && o.instrument.noPrompt);
    EXPECT_EQ(o.instrument.clock.time(), QTime(7, 5, 9));
    EXPECT_EQ(o.logPath, "/tmp/log");

    EXPECT_EQ(o.instrument.integrity.outcome, IntegrityBehaviour::Pass);
    EXPECT_EQ(o.instrument.integrity.busyReports, 3);
    EXPECT_TRUE(o.instrument.stickyRun && o.instrument.reformatNever);

    EXPECT_EQ(parse({"--help"}, o, message), ParseOutcome::Help);
    EXPECT_TRUE(message.contains("--tricky-tag"));
}

TEST(SimOptions, RefusesWhatTheInstrumentCannotBe)
{
    const QStringList bad[] = {
        {},  // no link at all
        {"--tcp", "65536"},
        {"--tcp", "0", "--tag", "100:5"},
        {"--tcp", "0", "--tag", "5:65536"},
        {"--tcp", "0", "--tag", "5:10:0"},
        {"--tcp", "0", "--tag", "5"},
        {"--tcp", "0", "--tricky-tag", "5:10:60"},
        {"--tcp", "0", "--serial", "has blank"},
        {"--tcp", "0", "--firmware", "new"},
        {"--tcp", "0", "--clock", "yesterday"},
        {"--tcp", "0", "--chunk", "0"},
        {"--tcp", "0", "--integrity", "maybe"},
        {"--tcp", "0", "--integrity", "after:"},
        {"--tcp", "0", "--integrity", "after:1001"},
        {"--tcp", "0", "--frobnicate"},
        {"--tcp", "0", "stray"},
    };
    for (const QStringList& args : bad) {
        SimOptions o;
        QString message;
        EXPECT_EQ(parse(args, o, message), ParseOutcome::Error) << args.join(' ').toStdString();
        EXPECT_FALSE(message.isEmpty());
    }
}

}  // namespace
}  // namespace nesmo::sim
