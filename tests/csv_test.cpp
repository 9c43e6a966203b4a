// CSV files: what needs quoting is quoted and reads back whole, a record cut short is told apart,
// malformed input is reported; numbers keep their shortest text whatever their type.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "formats/csv.h"
#include "formats/number_text.h"

namespace {

using Fields = std::vector<std::string>;

// Every record of `text`, with whether each ended with a line break; `error` the reader's error.
std::vector<std::pair<Fields, bool>> ReadAll(const std::string& text, std::string& error)
{
    std::istringstream in(text);
    formats::CsvReader csv(in);
    std::vector<std::pair<Fields, bool>> records;
    for (Fields fields; csv.Next(fields);) {
        records.emplace_back(fields, csv.Ended());
    }
    error = csv.Error();
    return records;
}

// Commas, quotes, line breaks and empty fields are written the one standard way and read back
// whole; other fields are written as they are.
TEST(Csv, QuotedFieldsReadBackWhole)
{
    const std::vector<Fields> records = {{"plain", "Tgt,1", "say \"hi\"", "two\nlines", "", "cr\rhere", "3.5"},
                                         {""},
                                         {"", ""},
                                         {"\"", ",", "x;y"}};
    formats::CsvWriter csv;
    for (const Fields& record : records) {
        for (const std::string& field : record) {
            csv.Text(field);
        }
        csv.End();
    }
    EXPECT_EQ(csv.Result(), "plain,\"Tgt,1\",\"say \"\"hi\"\"\",\"two\nlines\",,\"cr\rhere\",3.5\n\n,\n\"\"\"\",\",\",x;y\n");
    std::string error;
    auto read = ReadAll(csv.Result(), error);
    EXPECT_EQ(error, "");
    ASSERT_EQ(read.size(), records.size());
    for (size_t i = 0; i < read.size(); ++i) {
        EXPECT_EQ(read[i].first, records[i]) << i;
        EXPECT_TRUE(read[i].second) << i;
    }
    read = ReadAll("a,b\r\n\"c\r\nd\",e\r\n", error);
    ASSERT_EQ(read.size(), 2u) << "CR LF ends a record, but not inside quotes";
    EXPECT_EQ(read[1].first, (Fields{"c\r\nd", "e"}));

    csv.Clear();
    csv.Whole(100000000).Number(0.1).Number(-0.0).Number(NAN).Text("").End();
    EXPECT_EQ(csv.Result(), "100000000,0.1,-0,nan,\n");
}

// A record without its line break (a file cut short by a stop, even inside quotes) reads as such;
// a stray quote is reported with its line, and nothing after it is read.
TEST(Csv, CutShortAndMalformedRecords)
{
    std::string error;
    auto read = ReadAll("a,b\nc,\"d,e", error);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_TRUE(read[0].second);
    EXPECT_EQ(read[1].first, (Fields{"c", "d,e"}));
    EXPECT_FALSE(read[1].second);
    EXPECT_EQ(error, "");

    const std::pair<std::string, std::string> bad[] = {
        {"a,b\nab\"c,d\ne,f\n", "line 2: a quote inside an unquoted field"},
        {"\"two\nlines\",x\n\"a\"b,c\n", "line 3: text after a closing quote"},
        {"x,y\na,\"b\nc,d\n\"e,f\"\n", "line 4: text after a closing quote (of the quoted field opened on line 2)"},
    };
    for (const auto& [text, message] : bad) {
        read = ReadAll(text, error);
        EXPECT_EQ(read.size(), 1u) << text;
        EXPECT_EQ(error, message) << text;
    }
}

// Where a field the end cut short opened its quote, for a reader to tell a stop's cut (on the last
// line) from a quote never closed (that took the lines after it); 0 for any other record.
TEST(Csv, OpenQuoteOfARecordCutShort)
{
    const std::pair<std::string, std::vector<long long>> cases[] = {
        {"a,b\nc,\"d,e", {0, 2}},
        {"a,\"b\nc,d\ne,f\n", {1}},
        {"\"x\ny\",z\n\"w\"", {0, 0}},
        {"a,b\nc,d", {0, 0}},
        {"\"two\nlines\",\"\"\n", {0}},
    };
    for (const auto& [text, lines] : cases) {
        std::istringstream in(text);
        formats::CsvReader csv(in);
        std::vector<long long> got;
        for (Fields fields; csv.Next(fields);) {
            got.push_back(csv.OpenQuoteLine());
        }
        EXPECT_EQ(got, lines) << text;
        EXPECT_EQ(csv.Error(), "") << text;
    }
}

// Floats and whole numbers have their own shortest text, not that of a double.
TEST(NumberText, FloatsAndWholeNumbers)
{
    char text[formats::NUMBER_TEXT_SIZE];
    EXPECT_EQ(formats::NumberText(0.1f, text), 3);
    EXPECT_STREQ(text, "0.1");
    formats::NumberText(-9223372036854775807LL - 1, text);
    EXPECT_STREQ(text, "-9223372036854775808");
    EXPECT_EQ(formats::FormatNumber(-2.2250738585072014e-308), "-2.2250738585072014e-308");
}

}  // namespace
