#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>
#include <limits>

#include "files/csv_export.h"
#include "files/graph_data.h"

namespace nesmo {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

QByteArray sampleTag()
{
    QFile f(QStringLiteral(NESMO_TEST_DATA "/samples/dump-tag9.scratch.txt"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(CsvExport, SampleTagRowsAndHeaderValues)
{
    QByteArray text = sampleTag();
    ASSERT_FALSE(text.isEmpty());
    // An unreadable temperature in the fourth record leaves its field empty, and
    // only that one: each field is read on its own, and written as the file has it.
    text.replace("    4,      -0.02,  -1.5,", "    4,      -0.02,  ----,");
    const CsvExport e = exportCsv(text);
    ASSERT_TRUE(e.error.isEmpty()) << e.error.toStdString();
    EXPECT_EQ(e.rows, 6);
    EXPECT_EQ(e.records,
              QByteArray("time,concentration_mg/m3,temperature_C,rh_percent,pressure_mmHg\r\n"
                         "2023-07-04T23:59:00,0.08,21.2,38,754\r\n"
                         "2023-07-04T23:59:30,0.11,21.4,39,754\r\n"
                         "2023-07-05T00:00:00,0.74,3.4,13,846\r\n"
                         "2023-07-05T00:00:30,-0.02,,41,752\r\n"
                         "2023-07-05T00:01:00,12.50,30.1,100,910\r\n"
                         "2023-07-05T00:01:30,0.09,21.6,40,756\r\n"));
    EXPECT_EQ(e.header, QByteArray("key,value\r\nmodel,Nesmo-7\r\nserial,20871\r\ntag,9\r\n"
                                   "site,\r\nstart,2023-07-04T23:58:30\r\n"
                                   "time_zone,\"instrument local time, no offset\"\r\n"
                                   "log_period_s,30\r\n"
                                   "records,6\r\ncalibration_factor,1.000\r\n"
                                   "concentration_unit,mg/m3\r\ntemperature_unit,C\r\n"
                                   "alarm,OFF\r\nalarm_level,0.000\r\n"));
}

TEST(CsvExport, TheCsvIsTheFileFieldByField)
{
    // A 1-second tag: its records at start + k seconds, as the file stamps them
    // (the chart draws such a tag a few periods late).
    QByteArray text = sampleTag();
    text.replace("00:00:30\n", "00:00:01\n").replace("23:58:30\n", "23:58:00\n");
    // A value beyond any chart, a field that is no number, and a site that a
    // spreadsheet would run as a formula.
    text.replace("    5,      12.50,", "    5, -32263715162714800128.00,");
    text.replace("    2,       0.11,  21.4,   39,", "    2,       0.11,  inf,   x39,");
    text.replace("\"Errors\"", "\"Site\", =HYPERLINK(\"x\")\n\"Errors\"");
    const CsvExport e = exportCsv(text);
    const QList<QByteArray> rows = e.records.split('\n');
    ASSERT_GE(rows.size(), 7);
    EXPECT_EQ(rows[1], "2023-07-04T23:58:01,0.08,21.2,38,754\r");
    EXPECT_EQ(rows[2], "2023-07-04T23:58:02,0.11,,,754\r");
    EXPECT_EQ(rows[5], "2023-07-04T23:58:05,-32263715162714800128.00,30.1,100,910\r");
    EXPECT_TRUE(e.header.contains("\r\nstart,2023-07-04T23:58:00\r\n"));
    EXPECT_TRUE(e.header.contains("\r\nsite,\"'=HYPERLINK(\"\"x\"\")\"\r\n"))
        << e.header.constData();
    // Numbers are never touched.
    EXPECT_TRUE(e.header.contains("\r\ncalibration_factor,1.000\r\n"));
}

TEST(CsvExport, QuotingNamesAndTextsThatCannotBeExported)
{
    EXPECT_EQ(csvField("plain"), "plain");
    EXPECT_EQ(csvField("a,b"), "\"a,b\"");
    EXPECT_EQ(csvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(csvField("two\r\nlines"), "\"two\r\nlines\"");

    QByteArray text = sampleTag();
    text.replace("\"mg/m3\"", "\"a,b\"").replace("TEMPUNITS\", C", "TEMPUNITS\", F");
    const CsvExport e = exportCsv(text);
    EXPECT_TRUE(e.records.startsWith("time,\"concentration_a,b\",temperature_F,"))
        << e.records.left(60).toStdString();
    EXPECT_TRUE(e.header.contains("\r\nconcentration_unit,\"a,b\"\r\n"));

    EXPECT_FALSE(exportCsv("not a tag at all").error.isEmpty());
    EXPECT_EQ(csvHeaderFileName("site-a/UNT00009.csv"), "site-a/UNT00009.header.csv");
    EXPECT_EQ(csvHeaderFileName("/tmp/x.CSV"), "/tmp/x.header.csv");
    EXPECT_EQ(csvHeaderFileName("plain"), "plain.header.csv");
}

// Debian's own Python, the one its python3-pandas package is for.
QString python()
{
    return QFile::exists("/usr/bin/python3") ? QStringLiteral("/usr/bin/python3")
                                             : QStringLiteral("python3");
}

// What Python's csv module and pandas make of an exported file.
const char* const kReadBack = R"(
import csv, json, math, sys
import pandas as pd
path = sys.argv[1]
with open(path, newline='', encoding='utf-8') as f:
    rows = list(csv.reader(f))
df = pd.read_csv(path, parse_dates=["time"])
print(json.dumps({
    "columns": rows[0],
    "csv": rows[1:],
    "dtype": str(df["time"].dtype),
    "times": [t.isoformat() for t in df["time"]],
    "values": [[None if math.isnan(v) else v for v in df[c]] for c in df.columns[1:]],
    "readme": [None if math.isnan(v) else v
               for v in df.filter(regex="^concentration").iloc[:, 0]],
}))
)";

TEST(CsvExport, PythonCsvAndPandasReadBackTheTagReadersValues)
{
    QProcess probe;
    probe.start(python(), {"-c", "import pandas"});
    if (!probe.waitForFinished(60000) || probe.exitCode() != 0)
        GTEST_SKIP()
            << "python3 with pandas is not installed (scripts/install-deps.sh installs it)";

    // Values of every kind the reader gives: fractions, negatives, large, unreadable.
    QByteArray text = sampleTag();
    const qsizetype records = text.indexOf("    1,");
    text.truncate(records);
    text.replace("\"Number      \", 6", "\"Number      \", 200");
    for (int i = 1; i <= 200; ++i) {
        const double c = i == 50 ? -0.05 : i == 51 ? 9999.99 : std::fmod(i * 0.37, 11.0);
        text += i == 70 ? QString::asprintf("%5i,       ----,  21.2,   38,   754 ", i).toLatin1()
                        : QString::asprintf("%5i, %10.2f, %5.1f, %4i, %5.0f ", i, c,
                                            -12.5 + i * 0.3, i % 101, 700.0 + i)
                              .toLatin1();
        text += ",  00:00:00,  05-Jul-2023 \n";
    }
    const CsvExport e = exportCsv(text);
    ASSERT_EQ(e.rows, 200);
    QTemporaryDir dir;
    const QString path = dir.filePath("tag.csv");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(e.records);
    f.close();

    QProcess reader;
    reader.start(python(), {"-c", kReadBack, path});
    ASSERT_TRUE(reader.waitForFinished(120000));
    ASSERT_EQ(reader.exitCode(), 0) << reader.readAllStandardError().toStdString();
    const QJsonObject back = QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
    EXPECT_EQ(back["dtype"].toString(), "datetime64[ns]");
    EXPECT_EQ(back["columns"].toArray().size(), 5);
    const GraphData g = buildGraphData(text, GraphOptions(), 0);
    ASSERT_EQ(g.times.size(), 200);
    const QJsonArray rows = back["csv"].toArray();
    const QJsonArray times = back["times"].toArray();
    const QJsonArray values = back["values"].toArray();
    // The README's way to the concentration, whatever the unit in its name.
    EXPECT_EQ(back["readme"].toArray(), values[0].toArray());
    ASSERT_EQ(rows.size(), 200);
    ASSERT_EQ(times.size(), 200);
    for (int i = 0; i < 200; ++i) {
        // The csv module gives the texts, pandas the parsed times and numbers.
        EXPECT_EQ(rows[i].toArray()[0].toString(), times[i].toString()) << i;
        for (int s = 0; s < kSeriesCount; ++s) {
            // Record 70's concentration is no number; its other fields are read all the same.
            const double record70[kSeriesCount] = {kNaN, 21.2, 38, 754};
            const double mine = i == 69 ? record70[s] : g.values[s][i];
            const QJsonValue theirs = values[s].toArray()[i];
            if (std::isnan(mine))
                EXPECT_TRUE(theirs.isNull()) << i << " " << s;
            else
                EXPECT_EQ(theirs.toDouble(), mine) << i << " " << s;
        }
    }
    EXPECT_EQ(times[0].toString(), "2023-07-04T23:59:00");
    EXPECT_TRUE(values[0].toArray()[69].isNull());
}

}  // namespace
}  // namespace nesmo
